#pragma once
// Code pages of RTF text: which one a font's character set or the document
// header names, and decoding bytes written in one.
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <unordered_map>

class QStringDecoder;

namespace platform::text {

// The Windows code page of an RTF font character set (\fcharset); 0 when the
// character set follows the document's code page.
int codePageForCharset(int charset);

// Decodes bytes by code page number, keeping one decoder per code page. Code
// pages without a decoder here are read as windows-1252.
class CodePageDecoder {
public:
    CodePageDecoder();
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    QString decode(int codePage, QByteArrayView bytes);

private:
    QStringDecoder* decoderFor(int codePage);

    std::unordered_map<int, std::unique_ptr<QStringDecoder>> m_decoders;
};

} // namespace platform::text
