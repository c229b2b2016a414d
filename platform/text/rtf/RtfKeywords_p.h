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
    Char, U, Uc, Line, Tab, Par, Sect, Sectd, SbkPage, SbkOdd, SbkEven, SbkNone, Page,
    // character formatting
    Plain, F, Fs, B, I, Ul, UlNone, Strike, Cf, Cb, Super, Sub, NoSuperSub, V, Caps, Scaps,
    // paragraph formatting
    Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi, Sb, Sa, Sl, SlMult, Tx, Tb, Tqr, Tqc, Tqdec, PageBb,
    // tables
    Intbl, Trowd, Cellx, Cell, Row, NestCell, NestRow,
    // table lines and cells: a border's kind (value: 0 solid, 1 dotted, 2
    // dashed, 3 double), width and colour; which line it is (value: 0 top,
    // 1 left, 2 bottom, 3 right, 4 inside across, 5 inside down)
    Border, BrdrNone, BrdrW, BrdrCf, ClBrdr, TrBrdr, ClCbPat, ClVertAl, TrGaph,
    // pictures
    PngBlip, JpegBlip, OtherBlip, PicwGoal, PichGoal, PicScaleX, PicScaleY, Bin,
    Width, Height,
    // page furniture: a header or footer (value: 0x10 for a footer, plus
    // its PageKind), an endnote's mark, a note's automatic number, the page
    // number, a field's instruction, first-page and facing pages, header
    // and footer distances, note numbering (value: 8 for endnotes, plus
    // 0 decimal, 1 lower and 2 upper roman, 3 lower and 4 upper letters),
    // a section's page numbers starting anew and from which
    HeaderFooter, FtnAlt, Chftn, Chpgn, FldInst, TitlePg, FacingP, HeaderY, FooterY, NoteNumbering,
    PgnRestart, PgnStarts,
};

struct Keyword {
    Kw kw;
    char16_t value = 0; // the character of Kw::Char, the style of a Kw::Ul or family hint
};

// The entry of a control word; Kw::Unknown for words the reader ignores.
Keyword findKeyword(std::string_view name);

} // namespace platform::text::rtf
