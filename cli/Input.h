// SPDX-License-Identifier: MIT
// What horodex-tc reads for the value columns: the lines of a stream,
// decoded to UTF-8 by the library.
#ifndef HORODEX_TC_INPUT_H
#define HORODEX_TC_INPUT_H

#include <cstddef>
#include <cstdint>
#include <functional>

#include "ELKText.h"

// The lines of a stream, decoded, as they arrive.
class LineReader
{
public:
    struct Line {
        const char* text; // UTF-8, without its line end
        size_t length;
        int64_t number; // from 1
        bool tooLong; // over ELK_LINE_MAX bytes: text is its start
    };

    explicit LineReader(int fd);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader();

    // The next line; `beforeWait` is called each time before waiting for
    // more input. False at the end, or when the stream cannot be read
    // (errno then set; 0 at the end).
    bool next(Line* line, const std::function<void()>& beforeWait);

private:
    bool deliver(const ELKLine_t& l, Line* line);

    int m_fd;
    bool m_atEnd = false;
    bool m_finished = false;
    ELKTextStream_t m_stream;
    ELKLines_t m_lines;
    char* m_buffer;
};

#endif
