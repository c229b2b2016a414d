#include "platform/pdf/PdfFileOutput_p.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace platform::pdf {

namespace {

// A few system calls for a document of some megabytes, little memory for
// the one file being written.
constexpr size_t kBufferBytes = 256 * 1024;

} // namespace

std::unique_ptr<PdfFileOutput> PdfFileOutput::create(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int descriptor = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return nullptr;
    return std::unique_ptr<PdfFileOutput>(new PdfFileOutput(descriptor, path.toStdString()));
}

PdfFileOutput::PdfFileOutput(int descriptor, std::string name)
    : Pipeline("file", nullptr), m_descriptor(descriptor), m_name(std::move(name)), m_buffer(kBufferBytes)
{
}

PdfFileOutput::~PdfFileOutput()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

void PdfFileOutput::writeOut(unsigned char const* data, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(m_descriptor, data, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw std::runtime_error(m_name + ": write failed: " + std::strerror(errno));
        data += written;
        length -= size_t(written);
    }
}

void PdfFileOutput::flush()
{
    writeOut(m_buffer.data(), m_used);
    m_used = 0;
}

void PdfFileOutput::write(unsigned char const* data, size_t length)
{
    if (m_used + length > m_buffer.size()) {
        flush();
        if (length >= m_buffer.size()) {
            writeOut(data, length);
            return;
        }
    }
    std::memcpy(m_buffer.data() + m_used, data, length);
    m_used += length;
}

void PdfFileOutput::finish()
{
    // qpdf finishes its pipelines after every stream, down to this one:
    // what is buffered is written when the buffer is full, or by close().
}

bool PdfFileOutput::close()
{
    if (m_descriptor < 0)
        return false;
    bool ok = true;
    try {
        flush();
    } catch (const std::exception&) {
        ok = false;
    }
    ok = ::close(m_descriptor) == 0 && ok;
    m_descriptor = -1;
    return ok;
}

} // namespace platform::pdf
