#pragma once
// The RTF control words the reader acts on.
#include <cstdint>
#include <string_view>

namespace platform::text::rtf {

enum class Kw : uint8_t {
    Unknown,
    // destinations
    FontTable, ColorTable, Pict, Attachment, Footnote, Upr, Ud, ShpPict, SkipDest,
    // document
    Ansi, Mac, Pc, Pca, AnsiCpg, Deff,
    // font table
    Fcharset, Cpg, FontFamily,
    // colour table
    Red, Green, Blue,
    // characters
    Char, U, Uc, Line, Tab, Par, Sect, Sectd, SbkPage, SbkNone, Page,
    // character formatting
    Plain, F, Fs, B, I, Ul, UlNone, Strike, Cf, Cb, Super, Sub, NoSuperSub, V, Caps, Scaps,
    // paragraph formatting
    Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi, Sb, Sa, Sl, SlMult, Tx, Tb, Tqr, Tqc, Tqdec, PageBb,
    // tables
    Intbl, Trowd, Cellx, Cell, Row, NestCell, NestRow, Border,
    // pictures
    PngBlip, JpegBlip, OtherBlip, PicwGoal, PichGoal, PicScaleX, PicScaleY, Bin,
    Width, Height,
};

struct Keyword {
    Kw kw;
    char16_t value = 0; // the character of Kw::Char, the style of a Kw::Ul or family hint
};

// The entry of a control word; Kw::Unknown for words the reader ignores.
Keyword findKeyword(std::string_view name);

} // namespace platform::text::rtf
