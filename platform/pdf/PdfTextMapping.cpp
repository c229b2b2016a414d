#include "platform/pdf/PdfTextMapping.h"

#include "platform/pdf/PdfDocument_p.h"

#include <QFile>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdio>
#include <exception>

namespace platform::pdf {

namespace {

// The UTF-16BE hex spelling that replaces a destination, or empty to keep it.
QByteArray replacementFor(const QByteArray& hex)
{
    bool ok = false;
    const uint code = hex.toUInt(&ok, 16);
    if (!ok || hex.size() != 4)
        return {};
    if (code == 0x0009)
        return QByteArrayLiteral("0020");
    if (code < 0xFB00 || code > 0xFB06)
        return {};
    const QString letters = QString(QChar(char16_t(code))).normalized(QString::NormalizationForm_KC);
    QByteArray spelled;
    for (const QChar c : letters)
        spelled += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return spelled;
}

} // namespace

QByteArray plainTextCharacterMap(const QByteArray& characterMap)
{
    // Destinations are the second hex string of a bfchar pair and the hex
    // strings inside a bfrange's array. A range with one start destination
    // counts up from it and stays as it is.
    enum class Section { None, Char, Range };
    Section section = Section::None;
    int tokenInEntry = 0;
    bool inArray = false;
    QByteArray out;
    out.reserve(characterMap.size() + 64);
    const qsizetype size = characterMap.size();
    for (qsizetype i = 0; i < size;) {
        const char c = characterMap.at(i);
        if (c == '<') {
            const qsizetype close = characterMap.indexOf('>', i + 1);
            if (close < 0) {
                out += characterMap.mid(i);
                break;
            }
            const QByteArray hex = characterMap.mid(i + 1, close - i - 1);
            const bool destination = (section == Section::Char && tokenInEntry == 1)
                || (section == Section::Range && inArray);
            const QByteArray replacement = destination ? replacementFor(hex) : QByteArray();
            out += '<';
            out += replacement.isEmpty() ? hex : replacement;
            out += '>';
            if (section == Section::Char)
                tokenInEntry = (tokenInEntry + 1) % 2;
            else if (section == Section::Range && !inArray)
                tokenInEntry = tokenInEntry == 2 ? 0 : tokenInEntry + 1;
            i = close + 1;
            continue;
        }
        if (section == Section::Range && c == '[') {
            inArray = true;
        } else if (section == Section::Range && c == ']') {
            inArray = false;
            tokenInEntry = 0;
        } else if (c == 'b' || c == 'e') {
            const QByteArrayView rest = QByteArrayView(characterMap).sliced(i);
            if (rest.startsWith("beginbfchar"))
                section = Section::Char;
            else if (rest.startsWith("beginbfrange"))
                section = Section::Range;
            else if (rest.startsWith("endbfchar") || rest.startsWith("endbfrange"))
                section = Section::None;
            if (rest.startsWith("begin") || rest.startsWith("end")) {
                tokenInEntry = 0;
                inArray = false;
            }
        }
        out += c;
        ++i;
    }
    return out;
}

namespace {

// Rewrites the maps of pdf's fonts; answers whether any changed. Throws what
// qpdf throws.
bool rewriteCharacterMaps(QPDF& pdf)
{
    bool changed = false;
    for (QPDFObjectHandle object : pdf.getAllObjects()) {
        if (!object.isDictionary() || !object.hasKey("/ToUnicode"))
            continue;
        QPDFObjectHandle map = object.getKey("/ToUnicode");
        if (!map.isStream())
            continue;
        const std::shared_ptr<Buffer> data = map.getStreamData(qpdf_dl_generalized);
        const QByteArray original(reinterpret_cast<const char*>(data->getBuffer()),
                                  qsizetype(data->getSize()));
        const QByteArray plain = plainTextCharacterMap(original);
        if (plain == original)
            continue;
        map.replaceStreamData(plain.toStdString(), QPDFObjectHandle::newNull(),
                              QPDFObjectHandle::newNull());
        changed = true;
    }
    return changed;
}

} // namespace

bool makePdfTextPlain(const QString& path)
{
    const std::string file = QFile::encodeName(path).toStdString();
    const std::string rewritten = file + ".text";
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(file.c_str());
        if (!rewriteCharacterMaps(pdf))
            return true;
        QPDFWriter writer(pdf, rewritten.c_str());
        writer.write();
    } catch (const std::exception&) {
        QFile::remove(QFile::decodeName(rewritten.c_str()));
        return false;
    }
    return std::rename(rewritten.c_str(), file.c_str()) == 0;
}

bool makePdfTextPlain(PdfDocument& document)
{
    PdfDocument::Impl& impl = document.impl();
    if (!impl.qpdf)
        return false;
    try {
        if (rewriteCharacterMaps(*impl.qpdf))
            impl.markModified(false, true);
    } catch (const std::exception&) {
        impl.markModified();
        return false;
    }
    return true;
}

} // namespace platform::pdf
