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

} // namespace

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
