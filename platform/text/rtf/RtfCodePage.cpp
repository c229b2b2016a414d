#include "platform/text/rtf/RtfCodePage_p.h"

#include "platform/text/Windows1252.h"

#include <QList>
#include <QStringDecoder>

namespace platform::text {

int codePageForCharset(int charset)
{
    switch (charset) {
    case 77: return 10000;   // Mac Roman
    case 78: return 10001;   // Mac Japanese
    case 79: return 10003;   // Mac Korean
    case 80: return 10008;   // Mac Simplified Chinese
    case 81: return 10002;   // Mac Traditional Chinese
    case 83: return 10005;   // Mac Hebrew
    case 84: return 10004;   // Mac Arabic
    case 85: return 10006;   // Mac Greek
    case 86: return 10081;   // Mac Turkish
    case 87: return 10021;   // Mac Thai
    case 88: return 10029;   // Mac Central European
    case 89: return 10007;   // Mac Cyrillic
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178:
    case 179:
    case 180: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;       // 0 ANSI, 1 default, 2 symbol and unknown sets
    }
}

namespace {

// Names the converter knows for a code page, most specific first.
QList<QByteArray> namesForCodePage(int codePage)
{
    switch (codePage) {
    case 10000: return {"macintosh"};
    case 10001: return {"x-mac-japanese", "Shift_JIS"};
    case 10002: return {"x-mac-trad-chinese", "Big5"};
    case 10003: return {"x-mac-korean", "EUC-KR"};
    case 10004: return {"x-mac-arabic"};
    case 10005: return {"x-mac-hebrew"};
    case 10006: return {"x-mac-greek"};
    case 10007: return {"x-mac-cyrillic"};
    case 10008: return {"x-mac-simp-chinese", "GB2312"};
    case 10021: return {"x-mac-thai", "windows-874"};
    case 10029: return {"x-mac-ce"};
    case 10079: return {"x-mac-icelandic"};
    case 10081: return {"x-mac-turkish"};
    case 932: return {"windows-31j", "Shift_JIS"};
    case 936: return {"GBK"};
    case 949: return {"windows-949", "EUC-KR"};
    case 950: return {"windows-950", "Big5"};
    case 1361: return {"windows-1361", "ibm-1361"};
    case 20127: return {"US-ASCII"};
    case 20866: return {"KOI8-R"};
    case 21866: return {"KOI8-U"};
    case 51932: return {"EUC-JP"};
    case 51949: return {"EUC-KR"};
    case 54936: return {"GB18030"};
    case 65001: return {"UTF-8"};
    default: break;
    }
    if (codePage >= 28591 && codePage <= 28606)
        return {"ISO-8859-" + QByteArray::number(codePage - 28590)};
    const QByteArray n = QByteArray::number(codePage);
    return {"windows-" + n, "cp" + n, "ibm-" + n};
}

} // namespace

CodePageDecoder::CodePageDecoder() = default;
CodePageDecoder::~CodePageDecoder() = default;

QStringDecoder* CodePageDecoder::decoderFor(int codePage)
{
    auto found = m_decoders.find(codePage);
    if (found != m_decoders.end())
        return found->second.get();
    std::unique_ptr<QStringDecoder> decoder;
    if (codePage > 0) {
        for (const QByteArray& name : namesForCodePage(codePage)) {
            auto candidate = std::make_unique<QStringDecoder>(name.constData(),
                                                              QStringConverter::Flag::Stateless);
            if (candidate->isValid()) {
                decoder = std::move(candidate);
                break;
            }
        }
    }
    QStringDecoder* result = decoder.get();
    m_decoders.emplace(codePage, std::move(decoder));
    return result;
}

QString CodePageDecoder::decode(int codePage, QByteArrayView bytes)
{
    QStringDecoder* decoder = decoderFor(codePage);
    if (!decoder && codePage != 1252)
        decoder = decoderFor(1252);
    if (decoder)
        return decoder->decode(bytes);
    // No converter at all: the code page's own table.
    return decodeWindows1252(bytes);
}

} // namespace platform::text
