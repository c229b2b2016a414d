#include "platform/pdf/PdfInputSource_p.h"

#include <qpdf/QPDFExc.hh>

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace platform::pdf {

namespace {

// Large enough that a small PDF is read in a few calls and the objects of a
// page mostly in one; small enough that the window of every input of a long
// merge (each stays open until the merged file is written) costs little.
constexpr qpdf_offset_t kWindowBytes = 16 * 1024;

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

std::shared_ptr<PdfInputSource> PdfInputSource::open(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int descriptor = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        return nullptr;
    }
    return std::shared_ptr<PdfInputSource>(
        new PdfInputSource(descriptor, qpdf_offset_t(info.st_size), path.toStdString()));
}

std::shared_ptr<PdfInputSource> PdfInputSource::fromData(const QByteArray& data)
{
    return std::shared_ptr<PdfInputSource>(new PdfInputSource(data));
}

PdfInputSource::PdfInputSource(int descriptor, qpdf_offset_t size, std::string name)
    : m_descriptor(descriptor), m_size(size), m_name(std::move(name))
{
}

PdfInputSource::PdfInputSource(const QByteArray& data)
    : m_data(data), m_size(data.size()), m_name("memory"), m_window(m_data.constData()),
      m_windowLength(m_size)
{
}

PdfInputSource::~PdfInputSource()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

void PdfInputSource::seek(qpdf_offset_t offset, int whence)
{
    qpdf_offset_t base = 0;
    switch (whence) {
    case SEEK_SET:
        break;
    case SEEK_CUR:
        base = m_offset;
        break;
    case SEEK_END:
        base = m_size;
        break;
    default:
        throw std::logic_error("seek with an unknown origin");
    }
    qpdf_offset_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0)
        throw std::runtime_error(m_name + ": seek before the beginning of the file");
    m_offset = target;
}

void PdfInputSource::unreadCh(char)
{
    // qpdf only ever gives back the byte it has just read.
    if (m_offset > 0)
        --m_offset;
}

bool PdfInputSource::fillWindow()
{
    // Data is one window over all of it: there is nothing more to read.
    if (m_descriptor < 0)
        return false;
    if (!m_buffer)
        m_buffer = std::make_unique<char[]>(size_t(kWindowBytes));
    m_window = m_buffer.get();
    m_windowStart = m_offset;
    m_windowLength = qpdf_offset_t(readAt(m_offset, m_buffer.get(), size_t(std::min(kWindowBytes, m_size - m_offset))));
    return m_windowLength > 0;
}

size_t PdfInputSource::readAt(qpdf_offset_t offset, char* buffer, size_t length)
{
    for (;;) {
        const ssize_t got = ::pread(m_descriptor, buffer, length, off_t(offset));
        if (got > 0)
            return size_t(got);
        if (got == 0) {
            // The file has shrunk since it was opened: it ends where it ends
            // now (or here, when that cannot be told).
            struct stat info {};
            m_size = ::fstat(m_descriptor, &info) == 0 ? std::min(m_size, qpdf_offset_t(info.st_size))
                                                       : std::min(m_size, offset);
            return 0;
        }
        if (errno != EINTR)
            throw QPDFExc(qpdf_e_system, m_name, "", offset,
                          std::string("read failed: ") + std::strerror(errno));
    }
}

size_t PdfInputSource::read(char* buffer, size_t length)
{
    last_offset = m_offset;
    size_t done = 0;
    while (done < length && m_offset < m_size) {
        if (inWindow()) {
            const size_t count =
                std::min(length - done, size_t(m_windowStart + m_windowLength - m_offset));
            std::memcpy(buffer + done, m_window + (m_offset - m_windowStart), count);
            done += count;
            m_offset += qpdf_offset_t(count);
        } else if (length - done >= size_t(kWindowBytes)) {
            // Stream data: straight into the caller's buffer.
            const size_t count = readAt(m_offset, buffer + done, length - done);
            if (count == 0)
                break;
            done += count;
            m_offset += qpdf_offset_t(count);
        } else if (!fillWindow()) {
            break;
        }
    }
    if (done == 0 && length > 0) {
        // Nothing left: the offset stays at the end, as qpdf's own file
        // source leaves it.
        m_offset = m_size;
        last_offset = m_size;
    }
    return done;
}

qpdf_offset_t PdfInputSource::findAndSkipNextEOL()
{
    while (m_offset < m_size) {
        if (!inWindow() && !fillWindow())
            break;
        const char* begin = m_window + (m_offset - m_windowStart);
        const char* end = m_window + m_windowLength;
        const char* found = std::find_if(begin, end, isLineEnd);
        m_offset += found - begin;
        if (found == end)
            continue;
        const qpdf_offset_t lineEnd = m_offset;
        // Past the whole run of line-end bytes ("\r\n", blank lines).
        char next = 0;
        while (read(&next, 1) == 1) {
            if (!isLineEnd(next)) {
                unreadCh(next);
                break;
            }
        }
        return lineEnd;
    }
    m_offset = m_size;
    last_offset = m_size;
    return m_size;
}

} // namespace platform::pdf
