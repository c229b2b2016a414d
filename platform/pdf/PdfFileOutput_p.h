#pragma once
// Private to platform/pdf: where qpdf writes a PDF file. qpdf hands its
// writer's output over a few bytes at a time; through the C library each
// piece takes the stream's lock (in a program with threads, an atomic
// operation), here it is a copy into a buffer written out in large blocks.
#include <qpdf/Pipeline.hh>

#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace platform::pdf {

class PdfFileOutput : public Pipeline {
public:
    // Creates or empties the file; null when it cannot be opened for writing.
    static std::unique_ptr<PdfFileOutput> create(const QString& path);
    // Closes the file if close() was not called.
    ~PdfFileOutput() override;
    PdfFileOutput(const PdfFileOutput&) = delete;
    PdfFileOutput& operator=(const PdfFileOutput&) = delete;

    // Throws when the file cannot be written.
    void write(unsigned char const* data, size_t length) override;
    // Writes nothing yet (see close()).
    void finish() override;
    // Writes what is left and closes the file; false when any of it could
    // not be written.
    bool close();

private:
    PdfFileOutput(int descriptor, std::string name);
    void writeOut(unsigned char const* data, size_t length);
    void flush();

    int m_descriptor = -1;
    std::string m_name;
    std::vector<unsigned char> m_buffer;
    size_t m_used = 0;
};

} // namespace platform::pdf
