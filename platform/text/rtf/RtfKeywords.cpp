#include "platform/text/rtf/RtfKeywords_p.h"

#include <QFont>
#include <QTextCharFormat>

#include <unordered_map>

namespace platform::text::rtf {

namespace {

const std::unordered_map<std::string_view, Keyword>& keywords()
{
    static const std::unordered_map<std::string_view, Keyword> table = [] {
        std::unordered_map<std::string_view, Keyword> t;
        t.reserve(256);
        for (const char* name :
             {"info", "stylesheet", "nonshppict", "xe", "tc", "tcn", "txe", "pn",
              "pntxta", "pntxtb", "ftnsep", "ftnsepc", "ftncn", "aftnsep", "aftnsepc", "aftncn",
              "bkmkstart", "bkmkend", "objdata", "objclass", "objname", "objalias", "objsect",
              "objtime", "template", "revtbl", "listtable", "listoverridetable", "filetbl",
              "rsidtbl", "keycode", "do", "shpinst", "sp", "sn", "sv", "nonesttables", "atnid",
              "atnauthor", "annotation", "background", "datafield", "fname", "falt", "panose",
              "pgdsctbl", "listpicture", "themedata", "colorschememapping", "latentstyles",
              "datastore", "xmlnstbl", "generator", "expandedcolortbl", "picprop", "blipuid"})
            t.emplace(name, Keyword{Kw::SkipDest});
        const std::pair<const char*, Kw> plain[] = {
            {"fonttbl", Kw::FontTable}, {"colortbl", Kw::ColorTable}, {"pict", Kw::Pict},
            {"NeXTGraphic", Kw::Attachment}, {"footnote", Kw::Footnote}, {"upr", Kw::Upr},
            {"ud", Kw::Ud}, {"shppict", Kw::ShpPict},
            {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca},
            {"ansicpg", Kw::AnsiCpg}, {"deff", Kw::Deff},
            {"fcharset", Kw::Fcharset}, {"cpg", Kw::Cpg},
            {"red", Kw::Red}, {"green", Kw::Green}, {"blue", Kw::Blue},
            {"u", Kw::U}, {"uc", Kw::Uc}, {"line", Kw::Line}, {"tab", Kw::Tab}, {"par", Kw::Par},
            {"sect", Kw::Sect}, {"sectd", Kw::Sectd}, {"sbkpage", Kw::SbkPage},
            {"sbkodd", Kw::SbkOdd}, {"sbkeven", Kw::SbkEven}, {"sbknone", Kw::SbkNone},
            {"sbkcol", Kw::SbkPage}, {"page", Kw::Page},
            {"plain", Kw::Plain}, {"f", Kw::F}, {"fs", Kw::Fs}, {"b", Kw::B}, {"i", Kw::I},
            {"ulnone", Kw::UlNone}, {"strike", Kw::Strike}, {"striked", Kw::Strike},
            {"cf", Kw::Cf}, {"cb", Kw::Cb}, {"highlight", Kw::Cb}, {"chcbpat", Kw::Cb},
            {"super", Kw::Super}, {"sub", Kw::Sub}, {"nosupersub", Kw::NoSuperSub},
            {"v", Kw::V}, {"caps", Kw::Caps}, {"scaps", Kw::Scaps},
            {"pard", Kw::Pard}, {"ql", Kw::Ql}, {"qc", Kw::Qc}, {"qr", Kw::Qr}, {"qj", Kw::Qj},
            {"li", Kw::Li}, {"ri", Kw::Ri}, {"fi", Kw::Fi}, {"sb", Kw::Sb}, {"sa", Kw::Sa},
            {"sl", Kw::Sl}, {"slmult", Kw::SlMult}, {"tx", Kw::Tx}, {"tb", Kw::Tb},
            {"tqr", Kw::Tqr}, {"tqc", Kw::Tqc}, {"tqdec", Kw::Tqdec}, {"pagebb", Kw::PageBb},
            {"intbl", Kw::Intbl}, {"trowd", Kw::Trowd}, {"cellx", Kw::Cellx},
            {"cell", Kw::Cell}, {"row", Kw::Row}, {"nestcell", Kw::NestCell},
            {"nestrow", Kw::NestRow},
            {"pngblip", Kw::PngBlip}, {"jpegblip", Kw::JpegBlip}, {"emfblip", Kw::OtherBlip},
            {"wmetafile", Kw::OtherBlip}, {"macpict", Kw::OtherBlip},
            {"pmmetafile", Kw::OtherBlip}, {"dibitmap", Kw::OtherBlip},
            {"wbitmap", Kw::OtherBlip},
            {"picwgoal", Kw::PicwGoal}, {"pichgoal", Kw::PichGoal},
            {"picscalex", Kw::PicScaleX}, {"picscaley", Kw::PicScaleY}, {"bin", Kw::Bin},
            {"width", Kw::Width}, {"height", Kw::Height},
        };
        for (const auto& [name, kw] : plain)
            t.emplace(name, Keyword{kw});
        const std::pair<const char*, char16_t> borders[] = {
            {"brdrs", 0},      {"brdrth", 0},    {"brdrsh", 0},     {"brdrhair", 0},    {"brdrwavy", 0},
            {"brdrinset", 0},  {"brdroutset", 0}, {"brdrframe", 0}, {"brdrdot", 1},     {"brdrdash", 2},
            {"brdrdashsm", 2}, {"brdrdashd", 2},  {"brdrdashdd", 2}, {"brdrdb", 3},      {"brdrtriple", 3},
        };
        for (const auto& [name, style] : borders)
            t.emplace(name, Keyword{Kw::Border, style});
        const std::pair<const char*, Keyword> lines[] = {
            {"clbrdrt", {Kw::ClBrdr, 0}}, {"clbrdrl", {Kw::ClBrdr, 1}}, {"clbrdrb", {Kw::ClBrdr, 2}},
            {"clbrdrr", {Kw::ClBrdr, 3}}, {"trbrdrt", {Kw::TrBrdr, 0}}, {"trbrdrl", {Kw::TrBrdr, 1}},
            {"trbrdrb", {Kw::TrBrdr, 2}}, {"trbrdrr", {Kw::TrBrdr, 3}}, {"trbrdrh", {Kw::TrBrdr, 4}},
            {"trbrdrv", {Kw::TrBrdr, 5}}, {"brdrnone", {Kw::BrdrNone}}, {"brdrnil", {Kw::BrdrNone}},
            {"brdrw", {Kw::BrdrW}},       {"brdrcf", {Kw::BrdrCf}},     {"clcbpat", {Kw::ClCbPat}},
            {"clvertalt", {Kw::ClVertAl, 0}}, {"clvertalc", {Kw::ClVertAl, 1}}, {"clvertalb", {Kw::ClVertAl, 2}},
            {"trgaph", {Kw::TrGaph}},
        };
        for (const auto& [name, keyword] : lines)
            t.emplace(name, keyword);
        const std::pair<const char*, Keyword> furniture[] = {
            {"header", {Kw::HeaderFooter, 0}},    {"headerr", {Kw::HeaderFooter, 0}},
            {"headerf", {Kw::HeaderFooter, 1}},   {"headerl", {Kw::HeaderFooter, 2}},
            {"footer", {Kw::HeaderFooter, 0x10}}, {"footerr", {Kw::HeaderFooter, 0x10}},
            {"footerf", {Kw::HeaderFooter, 0x11}}, {"footerl", {Kw::HeaderFooter, 0x12}},
            {"ftnalt", {Kw::FtnAlt}},   {"chftn", {Kw::Chftn}},     {"chpgn", {Kw::Chpgn}},
            {"fldinst", {Kw::FldInst}}, {"titlepg", {Kw::TitlePg}}, {"facingp", {Kw::FacingP}},
            {"headery", {Kw::HeaderY}}, {"footery", {Kw::FooterY}},
            {"pgnrestart", {Kw::PgnRestart}}, {"pgnstarts", {Kw::PgnStarts}},
            {"ftnnar", {Kw::NoteNumbering, 0}},  {"ftnnrlc", {Kw::NoteNumbering, 1}},
            {"ftnnruc", {Kw::NoteNumbering, 2}}, {"ftnnalc", {Kw::NoteNumbering, 3}},
            {"ftnnauc", {Kw::NoteNumbering, 4}}, {"aftnnar", {Kw::NoteNumbering, 8}},
            {"aftnnrlc", {Kw::NoteNumbering, 9}}, {"aftnnruc", {Kw::NoteNumbering, 10}},
            {"aftnnalc", {Kw::NoteNumbering, 11}}, {"aftnnauc", {Kw::NoteNumbering, 12}},
        };
        for (const auto& [name, keyword] : furniture)
            t.emplace(name, keyword);
        const std::pair<const char*, char16_t> chars[] = {
            {"emdash", 0x2014}, {"endash", 0x2013}, {"bullet", 0x2022}, {"lquote", 0x2018},
            {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
            {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005}, {"zwj", 0x200D},
            {"zwnj", 0x200C}, {"ltrmark", 0x200E}, {"rtlmark", 0x200F}, {"zwbo", 0x200B},
            {"zwnbo", 0xFEFF},
        };
        for (const auto& [name, ch] : chars)
            t.emplace(name, Keyword{Kw::Char, ch});
        const std::pair<const char*, QTextCharFormat::UnderlineStyle> underlines[] = {
            {"ul", QTextCharFormat::SingleUnderline}, {"uldb", QTextCharFormat::SingleUnderline},
            {"ulw", QTextCharFormat::SingleUnderline}, {"ulth", QTextCharFormat::SingleUnderline},
            {"uld", QTextCharFormat::DotLine}, {"ulthd", QTextCharFormat::DotLine},
            {"uldash", QTextCharFormat::DashUnderline},
            {"ulthdash", QTextCharFormat::DashUnderline},
            {"ulldash", QTextCharFormat::DashUnderline},
            {"ulthldash", QTextCharFormat::DashUnderline},
            {"uldashd", QTextCharFormat::DashDotLine},
            {"ulthdashd", QTextCharFormat::DashDotLine},
            {"uldashdd", QTextCharFormat::DashDotDotLine},
            {"ulthdashdd", QTextCharFormat::DashDotDotLine},
            {"ulwave", QTextCharFormat::WaveUnderline},
            {"ulhwave", QTextCharFormat::WaveUnderline},
            {"ululdbwave", QTextCharFormat::WaveUnderline},
        };
        for (const auto& [name, style] : underlines)
            t.emplace(name, Keyword{Kw::Ul, static_cast<char16_t>(style)});
        const std::pair<const char*, QFont::StyleHint> families[] = {
            {"fnil", QFont::AnyStyle}, {"froman", QFont::Serif}, {"fswiss", QFont::SansSerif},
            {"fmodern", QFont::Monospace}, {"fscript", QFont::Cursive},
            {"fdecor", QFont::Decorative}, {"ftech", QFont::AnyStyle}, {"fbidi", QFont::AnyStyle},
        };
        for (const auto& [name, hint] : families)
            t.emplace(name, Keyword{Kw::FontFamily, static_cast<char16_t>(hint)});
        return t;
    }();
    return table;
}

} // namespace

Keyword findKeyword(std::string_view name)
{
    const auto& table = keywords();
    const auto found = table.find(name);
    return found == table.end() ? Keyword{Kw::Unknown} : found->second;
}

} // namespace platform::text::rtf
