#pragma once
// Private to platform/pdf: the bytes of a PDF as qpdf reads them, from a
// file or from data in memory. Copies of a document's streams read them
// from here after the document itself has gone, so the source keeps what it
// reads from alive: the file open, the data referenced.
// A file is read through a window of its bytes that the source keeps: qpdf
// seeks before nearly every small read, and through the C library each of
// those seeks is a system call; here it only moves an offset.
#include <qpdf/InputSource.hh>

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>

namespace platform::pdf {

class PdfInputSource : public InputSource {
public:
    // Null when the file cannot be opened for reading.
    static std::shared_ptr<PdfInputSource> open(const QString& path);
    // Reads data where it is, without a copy.
    static std::shared_ptr<PdfInputSource> fromData(const QByteArray& data);
    ~PdfInputSource() override;
    PdfInputSource(const PdfInputSource&) = delete;
    PdfInputSource& operator=(const PdfInputSource&) = delete;

    qpdf_offset_t findAndSkipNextEOL() override;
    std::string const& getName() const override { return m_name; }
    qpdf_offset_t tell() override { return m_offset; }
    void seek(qpdf_offset_t offset, int whence) override;
    void rewind() override { m_offset = 0; }
    size_t read(char* buffer, size_t length) override;
    void unreadCh(char ch) override;

private:
    PdfInputSource(int descriptor, qpdf_offset_t size, std::string name);
    explicit PdfInputSource(const QByteArray& data);
    bool inWindow() const { return m_offset >= m_windowStart && m_offset < m_windowStart + m_windowLength; }
    // Reads the window at m_offset; false at the end of the file. Throws
    // when the file cannot be read.
    bool fillWindow();
    // Reads up to length bytes of the file at offset into buffer; the count
    // read (0 at the end). Throws when the file cannot be read.
    size_t readAt(qpdf_offset_t offset, char* buffer, size_t length);

    int m_descriptor = -1; // -1 for data
    QByteArray m_data;
    // As when opened; lowered when a read finds the file shorter.
    qpdf_offset_t m_size = 0;
    std::string m_name;
    qpdf_offset_t m_offset = 0;
    // Bytes at m_windowStart: data's own, or a file's read into m_buffer
    // (allocated on the first read).
    const char* m_window = nullptr;
    std::unique_ptr<char[]> m_buffer;
    qpdf_offset_t m_windowStart = 0;
    qpdf_offset_t m_windowLength = 0;
};

} // namespace platform::pdf
