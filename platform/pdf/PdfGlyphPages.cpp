#include "platform/pdf/PdfGlyphPages.h"

#include "platform/pdf/PdfDocument_p.h"
#include "platform/pdf/PdfLog_p.h"

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <cmath>
#include <exception>
#include <string>

namespace platform::pdf {

namespace {

// Codes and glyph indexes are two bytes.
constexpr int kMaxCode = 0xFFFF;
// A glyph's advance where the font gives none, thousandths of the size.
constexpr int kDefaultWidth = 1000;
// zlib's middle level: most of the best size at a fraction of its time.
constexpr int kContentCompression = 3;

// Decimals of the numbers content writes: positions in 64ths of a unit, a
// layout's steps, exactly; string adjustments, the difference between such
// a position and one of the font's widths, exactly at the usual sizes. The
// readers' own heuristics (where a word or column ends) then see the
// glyphs exactly where the layout put them.
constexpr int kDecimals = 6;
constexpr int kAdjustmentDecimals = 7;

// Numbers as content writes them: fixed point, no trailing zeros.
QByteArray numberText(double value, int decimals = kDecimals)
{
    QByteArray number = QByteArray::number(value, 'f', decimals);
    if (number.contains('.')) {
        while (number.endsWith('0'))
            number.chop(1);
        if (number.endsWith('.'))
            number.chop(1);
    }
    return number == "-0" ? QByteArray("0") : number;
}

void appendNumber(std::string& out, double value)
{
    const QByteArray number = numberText(value);
    out.append(number.constData(), size_t(number.size()));
}

void appendHex(std::string& out, int code)
{
    static const char digits[] = "0123456789ABCDEF";
    out += digits[(code >> 12) & 0xF];
    out += digits[(code >> 8) & 0xF];
    out += digits[(code >> 4) & 0xF];
    out += digits[code & 0xF];
}

// The codes a content stream shows with Tj, each a string of four hex
// digits, in order.
QList<int> shownCodes(const QByteArray& content)
{
    QList<int> codes;
    qsizetype at = 0;
    while ((at = content.indexOf('<', at)) >= 0) {
        if (content.mid(at, 2) == "<<") {
            at += 2;
            continue;
        }
        const qsizetype close = content.indexOf('>', at);
        if (close < 0)
            break;
        qsizetype next = close + 1;
        while (next < content.size() && std::isspace(static_cast<unsigned char>(content.at(next))))
            ++next;
        bool ok = false;
        const int code = content.mid(at + 1, close - at - 1).toInt(&ok, 16);
        if (close - at - 1 == 4 && ok && content.mid(next, 2) == "Tj")
            codes << code;
        at = close + 1;
    }
    return codes;
}

// The advances of a CIDFont's codes from its /W array, by code.
std::vector<double> fontWidths(QPDFObjectHandle cidFont)
{
    QPDFObjectHandle defaultWidth = cidFont.getKey("/DW");
    std::vector<double> widths(kMaxCode + 1, defaultWidth.isNumber() ? defaultWidth.getNumericValue() : kDefaultWidth);
    QPDFObjectHandle array = cidFont.getKey("/W");
    if (!array.isArray())
        return widths;
    std::vector<QPDFObjectHandle> items = array.getArrayAsVector();
    const auto setWidth = [&](long long code, QPDFObjectHandle width) {
        if (code >= 0 && code <= kMaxCode && width.isNumber())
            widths[size_t(code)] = width.getNumericValue();
    };
    for (size_t i = 0; i + 1 < items.size();) {
        if (!items[i].isInteger())
            break;
        const long long first = items[i].getIntValue();
        if (items[i + 1].isArray()) {
            std::vector<QPDFObjectHandle> run = items[i + 1].getArrayAsVector();
            for (size_t k = 0; k < run.size() && first + (long long)k <= kMaxCode; ++k)
                setWidth(first + (long long)k, run[k]);
            i += 2;
        } else if (i + 2 < items.size() && items[i + 1].isInteger()) {
            const long long last = std::min<long long>(items[i + 1].getIntValue(), kMaxCode);
            for (long long code = std::max(first, 0LL); code <= last; ++code)
                setWidth(code, items[i + 2]);
            i += 3;
        } else {
            break;
        }
    }
    return widths;
}

} // namespace

std::optional<ShownFont> shownFont(const PdfDocument& document, const QList<quint32>& glyphs)
{
    std::vector<QPDFObjectHandle> pages = document.impl().pages();
    if (pages.empty() || glyphs.isEmpty())
        return std::nullopt;
    try {
        QPDFPageObjectHelper page(pages.front());
        QPDFObjectHandle fonts = page.getAttribute("/Resources", false).getKey("/Font");
        if (!fonts.isDictionary() || fonts.getKeys().size() != 1)
            return std::nullopt;
        const std::string name = *fonts.getKeys().begin();
        QPDFObjectHandle font = fonts.getKey(name);
        QPDFObjectHandle descendants = font.getKey("/DescendantFonts");
        if (!font.getKey("/Subtype").isNameAndEquals("/Type0") || !descendants.isArray()
            || descendants.getArrayNItems() != 1)
            return std::nullopt;

        Pl_Buffer buffer("page content");
        page.pipeContents(&buffer);
        const std::unique_ptr<Buffer> data(buffer.getBuffer());
        const QList<int> codes = shownCodes(
            QByteArray(reinterpret_cast<const char*>(data->getBuffer()), qsizetype(data->getSize())));
        if (codes.size() != glyphs.size())
            return std::nullopt;

        ShownFont shown;
        shown.resourceName = QByteArray::fromStdString(name);
        shown.widths = fontWidths(descendants.getArrayItem(0));
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            if (glyphs[i] > quint32(kMaxCode))
                return std::nullopt;
            if (shown.codes.size() <= glyphs[i])
                shown.codes.resize(size_t(glyphs[i]) + 1, -1);
            shown.codes[glyphs[i]] = codes[i];
        }
        return shown;
    } catch (const std::exception& e) {
        qCInfo(lcPdf) << "no glyph codes learnt:" << e.what();
        return std::nullopt;
    }
}

GlyphStrings::GlyphStrings(const ShownFont& font, double size, const std::vector<double>& advances)
    : m_resourceName(font.resourceName), m_size(size), m_advances(advances)
{
    m_fragments.resize(std::min(advances.size(), font.codes.size()));
    for (size_t glyph = 0; glyph < m_fragments.size(); ++glyph) {
        const int code = font.codes[glyph];
        if (code < 0 || !(size > 0) || !std::isfinite(advances[glyph]))
            continue;
        std::string& fragment = m_fragments[glyph];
        appendHex(fragment, code);
        // A string's number moves the next glyph back by thousandths of the
        // size.
        const QByteArray adjustment =
            numberText(font.widths[size_t(code)] - advances[glyph] * 1000 / size, kAdjustmentDecimals);
        if (adjustment != "0")
            fragment += "> " + adjustment.toStdString() + " <";
    }
}

GlyphPageContent::GlyphPageContent(const GlyphStrings& strings, const QColor& color, const GlyphPageFrame& frame)
    : m_strings(strings)
{
    m_content = "q ";
    appendNumber(m_content, frame.pointsPerUnit);
    m_content += " 0 0 ";
    appendNumber(m_content, -frame.pointsPerUnit);
    m_content += ' ';
    appendNumber(m_content, frame.origin.x());
    m_content += ' ';
    appendNumber(m_content, frame.paperHeight - frame.origin.y());
    m_content += " cm\n";
    for (const double value : {frame.clip.x(), frame.clip.y(), frame.clip.width(), frame.clip.height()}) {
        appendNumber(m_content, value);
        m_content += ' ';
    }
    m_content += "re W n\n";
    for (const double value : {color.redF(), color.greenF(), color.blueF()}) {
        appendNumber(m_content, value);
        m_content += ' ';
    }
    m_content += "rg\nBT " + strings.m_resourceName.toStdString() + ' ';
    appendNumber(m_content, strings.m_size);
    m_content += " Tf\n";
}

void GlyphPageContent::beginLine(double y)
{
    m_content += "1 0 0 -1 0 ";
    appendNumber(m_content, y);
    m_content += " Tm\n";
    m_pen = QPointF();
}

void GlyphPageContent::showRun(const QPointF& start, const quint16* glyphs, qsizetype count)
{
    if (count <= 0)
        return;
    // The text line matrix moves to the run; text space is upright, the
    // line's units run downwards.
    appendNumber(m_content, start.x() - m_pen.x());
    m_content += ' ';
    appendNumber(m_content, m_pen.y() - start.y());
    m_content += " Td [<";
    m_pen = start;
    for (qsizetype i = 0; i < count; ++i)
        m_content += m_strings.m_fragments[glyphs[i]];
    m_content += ">] TJ\n";
}

QByteArray GlyphPageContent::finish()
{
    m_content += "ET\nQ\n";
    // zlib's stream after Qt's four bytes of length.
    QByteArray compressed = qCompress(reinterpret_cast<const uchar*>(m_content.data()), qsizetype(m_content.size()),
                                      kContentCompression);
    compressed.remove(0, 4);
    // zlib was given room for the uncompressed size: thousands of pages
    // keep only what they hold.
    compressed.squeeze();
    m_content.clear();
    return compressed;
}

bool replacePages(PdfDocument& document, const QSizeF& size, const QList<QByteArray>& contents)
{
    PdfDocument::Impl& impl = document.impl();
    const std::vector<QPDFObjectHandle> old = impl.pages();
    if (old.empty() || contents.isEmpty() || !(size.width() > 0 && size.height() > 0))
        return false;
    try {
        QPDF& qpdf = *impl.qpdf;
        QPDFObjectHandle resources = QPDFPageObjectHelper(old.front()).getAttribute("/Resources", false);
        if (!resources.isIndirect())
            resources = qpdf.makeIndirectObject(resources);
        QPDFObjectHandle mediaBox =
            QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(0, 0, size.width(), size.height()));
        QPDFPageDocumentHelper helper(qpdf);
        for (const QByteArray& content : contents) {
            QPDFObjectHandle stream = qpdf.newStream();
            stream.replaceStreamData(content.toStdString(), QPDFObjectHandle::newName("/FlateDecode"),
                                     QPDFObjectHandle::newNull());
            QPDFObjectHandle page = QPDFObjectHandle::newDictionary();
            page.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
            page.replaceKey("/MediaBox", mediaBox.shallowCopy());
            page.replaceKey("/Resources", resources);
            page.replaceKey("/Contents", stream);
            helper.addPage(QPDFPageObjectHelper(qpdf.makeIndirectObject(page)), false);
        }
        for (QPDFObjectHandle page : old)
            helper.removePage(QPDFPageObjectHelper(page));
    } catch (const std::exception& e) {
        qCInfo(lcPdf) << "pages not replaced:" << e.what();
        impl.markModified();
        return false;
    }
    impl.markModified();
    return true;
}

} // namespace platform::pdf
