// SPDX-License-Identifier: MIT
// What horodex-tc reads: a whole input for sum, and the lines of a stream,
// decoded to UTF-8 by the library, for the value columns.
#ifndef HORODEX_TC_INPUT_H
#define HORODEX_TC_INPUT_H

#include <cstddef>
#include <cstdint>
#include <functional>

#include "ELKText.h"

// The largest input sum reads: 1 GiB.
constexpr int64_t kInputMax = int64_t(1) << 30;

// A whole input in memory, as bytes: the list reader decodes it.
class Input
{
public:
    enum Status { Read, Unreadable, TooLarge, NotText };

    Input() = default;
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input();

    // Reads a whole file, or standard input for "-". Unreadable, with errno
    // set, when it cannot be opened, read or held; NotText as soon as its
    // start shows it is not text, without reading the rest.
    Status read(const char* name);

    const char* data() const { return m_data; }
    int64_t size() const { return int64_t(m_size); }

private:
    Status readBytes(int fd);
    bool grow(size_t capacity);

    char* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

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
