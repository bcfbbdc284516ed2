// SPDX-License-Identifier: MIT
#include "Input.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr size_t kPiece = size_t(1) << 16;

// Whatever the encoding, no byte grows past three in UTF-8, so a NUL this
// early lies in the first 8 KiB of decoded text, which the list reader would
// refuse as not text; the rest of it (all of /dev/zero) need not be read.
bool surelyNotText(const char* data, size_t size)
{
    const size_t early = std::min(size, size_t(8192 / 3));
    const bool utf16
        = size >= 2 && ((data[0] == '\xFF' && data[1] == '\xFE') || (data[0] == '\xFE' && data[1] == '\xFF'));
    return !utf16 && std::memchr(data, 0, early) != nullptr;
}

} // namespace

Input::~Input()
{
    std::free(m_data);
}

Input::Status Input::read(const char* name)
{
    const bool isStdin = std::strcmp(name, "-") == 0;
    const int fd = isStdin ? STDIN_FILENO : open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Unreadable;
    const Status status = readBytes(fd);
    const int saved = errno;
    if (!isStdin) close(fd);
    errno = saved;
    return status;
}

Input::Status Input::readBytes(int fd)
{
    struct stat st {
    };
    // A file is read at its size plus a byte to see its end; a pipe grows as it comes.
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular && st.st_size > kInputMax) return TooLarge;
    if (!grow(regular ? size_t(st.st_size) + 1 : kPiece)) return Unreadable;
    bool looked = false;
    for (;;) {
        if (m_size == m_capacity && !grow(std::min(2 * m_capacity, size_t(kInputMax) + 1))) return Unreadable;
        const ssize_t n = ::read(fd, m_data + m_size, m_capacity - m_size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Unreadable;
        m_size += size_t(n);
        if (m_size > size_t(kInputMax)) return TooLarge;
        if (!looked && (n == 0 || m_size >= 8192)) {
            looked = true;
            if (surelyNotText(m_data, m_size)) return NotText;
        }
        if (n == 0) return Read;
    }
}

bool Input::grow(size_t capacity)
{
    if (capacity <= m_capacity) return true;
    char* data = static_cast<char*>(std::realloc(m_data, capacity));
    if (!data) {
        errno = ENOMEM;
        return false;
    }
    m_data = data;
    m_capacity = capacity;
    return true;
}

LineReader::LineReader(int fd)
    : m_fd(fd)
    , m_buffer(static_cast<char*>(std::malloc(kPiece)))
{
    ELKTextStream_Init(&m_stream);
    ELKLines_Init(&m_lines);
}

LineReader::~LineReader()
{
    ELKLines_Destroy(&m_lines);
    ELKTextStream_Destroy(&m_stream);
    std::free(m_buffer);
}

bool LineReader::next(Line* line, const std::function<void()>& beforeWait)
{
    ELKLine_t l;
    for (;;) {
        if (m_finished) {
            errno = 0;
            return false;
        }
        const int8_t result = ELKLines_Next(&m_lines, &l);
        if (result == ELK_TRUE) return deliver(l, line);
        if (result == ELK_ERROR || !m_buffer) {
            errno = ENOMEM;
            return false;
        }
        if (m_atEnd) {
            m_finished = true;
            if (ELKLines_Finish(&m_lines, &l) == ELK_TRUE) return deliver(l, line);
            continue;
        }
        beforeWait();
        const ssize_t n = ::read(m_fd, m_buffer, kPiece);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        m_atEnd = n == 0;
        const char* text;
        int64_t length;
        if (ELKTextStream_Decode(&m_stream, m_buffer, n, m_atEnd ? ELK_TRUE : ELK_FALSE, &text, &length)
            != ELK_OK) {
            errno = ENOMEM;
            return false;
        }
        ELKLines_Feed(&m_lines, text, length);
    }
}

bool LineReader::deliver(const ELKLine_t& l, Line* line)
{
    const char* text = l.text;
    int64_t length = l.length;
    if (m_stream.ascii != ELK_TRUE
        && ELKTextStream_Line(&m_stream, l.text, l.length, &text, &length) != ELK_OK) {
        errno = ENOMEM;
        return false;
    }
    *line = Line { text, size_t(length), l.number, l.tooLong == ELK_TRUE };
    return true;
}
