// SPDX-License-Identifier: MIT
// label, frames, realtime and convert: one value per argument or per line of
// standard input, one result line for each, in step with the input.
#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <unistd.h>

#include "Command.h"
#include "ELKChars.h"
#include "Input.h"
#include "Json.h"
#include "Output.h"
#include "Values.h"

namespace
{

enum class Reads { FrameCounts, Times };
enum class Writes { Label, Frames, RealTime };

class ColumnWriter
{
public:
    ColumnWriter(const Options& opt, Output& out, Reads reads, Writes writes)
        : m_opt(opt)
        , m_out(out)
        , m_reads(reads)
        , m_writes(writes)
    {
    }

    bool failed() const { return m_failed; }

    // `kind` and `number` name the value for messages: line 12, argument 2.
    void value(const char* text, size_t length, const char* kind, int64_t number)
    {
        size_t begin = 0, end = length;
        while (begin < end && ELKChar_IsBlankOrLineEnd(text[begin])) ++begin;
        while (end > begin && ELKChar_IsBlankOrLineEnd(text[end - 1])) --end;
        if (begin == end) return skip();
        ELKDuration_t d;
        ELKDuration_Init(&d, &m_opt.rate);
        TextError error;
        bool ok = m_reads == Reads::FrameCounts
            ? readFrameCount(text + begin, end - begin, &d.frames, &error)
            : readTime(text + begin, end - begin, m_opt.realTime, &d, &error);
        error.offset += begin;
        if (ok && m_opt.hasTo && !convertTo(m_opt, &d, &error.reason)) {
            ok = false;
            error.offset = begin;
            if (error.reason.empty()) error.reason = "out of range at the new timebase";
        }
        if (!ok) return fail({ nullptr, kind, number, columnAt(text, error.offset) }, error.reason);
        append(d);
        m_out.lineDone();
    }

    // Reads a stream to its end. False when it cannot be read.
    bool stream(int fd)
    {
        LineReader reader(fd);
        LineReader::Line line;
        // Results wait for no more than the input has given, so that a person
        // typing values, or a script feeding one at a time, gets each answer.
        const std::function<void()> flush = [this] { m_out.flush(); };
        while (reader.next(&line, flush)) {
            if (line.tooLong)
                fail({ nullptr, "line", line.number, 0 }, "line too long");
            else
                value(line.text, line.length, "line", line.number);
        }
        if (errno == 0) return true;
        report({}, std::string("standard input: ") + std::strerror(errno));
        return false;
    }

private:
    void append(const ELKDuration_t& d)
    {
        std::string& b = m_out.buffer();
        if (m_opt.json) return appendJsonDuration(b, d);
        if (m_opt.verbose) return appendAllForms(b, d);
        switch (m_writes) {
        case Writes::Frames:
            return appendInteger(b, d.frames);
        case Writes::RealTime:
            return appendRealTime(b, d);
        case Writes::Label:
            return appendLabel(b, d);
        }
    }

    // An empty line stays one, or null in JSON, so that every output line parses.
    void skip()
    {
        if (m_opt.json) m_out.buffer() += "null";
        m_out.lineDone();
    }

    void fail(const Place& place, const std::string& reason)
    {
        m_failed = true;
        // Messages must not land between results waiting in the buffer.
        m_out.flush();
        report(place, reason);
        skip();
    }

    const Options& m_opt;
    Output& m_out;
    Reads m_reads;
    Writes m_writes;
    bool m_failed = false;
};

int runColumn(const Options& opt, Output& out, Reads reads, Writes writes)
{
    ColumnWriter writer(opt, out, reads, writes);
    bool readable = true;
    if (opt.operands.empty()) readable = writer.stream(STDIN_FILENO);
    int64_t number = 0;
    for (const char* operand : opt.operands) {
        ++number;
        if (std::strcmp(operand, "-") == 0)
            readable = writer.stream(STDIN_FILENO) && readable;
        else
            writer.value(operand, std::strlen(operand), "argument", number);
    }
    return writer.failed() || !readable ? 1 : 0;
}

} // namespace

int runLabel(const Options& opt, Output& out)
{
    return runColumn(opt, out, Reads::FrameCounts, Writes::Label);
}

int runFrames(const Options& opt, Output& out)
{
    return runColumn(opt, out, Reads::Times, Writes::Frames);
}

int runRealTime(const Options& opt, Output& out)
{
    return runColumn(opt, out, Reads::Times, Writes::RealTime);
}

int runConvert(const Options& opt, Output& out)
{
    return runColumn(opt, out, Reads::Times, Writes::Label);
}
