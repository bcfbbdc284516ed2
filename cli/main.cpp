// SPDX-License-Identifier: MIT
// horodex-tc: timecode arithmetic, conversion and totals on the command line.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ELKList.h"
#include "Expression.h"
#include "Json.h"
#include "Values.h"

namespace
{

const char kHelp[] = R"(Usage: horodex-tc [OPTION]... [calc] EXPRESSION...
  or:  horodex-tc [OPTION]... label [COUNT]...
  or:  horodex-tc [OPTION]... frames [--realtime] [TIME]...
  or:  horodex-tc [OPTION]... realtime [TIME]...
  or:  horodex-tc [OPTION]... convert --to TIMEBASE [--keep-label] [TIME]...
  or:  horodex-tc [OPTION]... sum [FILE]...
Exact timecode arithmetic at any frame rate, drop frame included.

  calc        evaluate: + and - between times, * and / by a number, ( )
  label       the label of each frame count
  frames      the frame count of each time (--realtime: of each running time)
  realtime    the running time of each time
  convert     each time at another timebase, by running time or --keep-label
  sum         total lists and EDLs: entries, sum, unique length, per track

  -r, --rate TIMEBASE  read and write at TIMEBASE (default 30, or $HORODEX_RATE):
                       23.976, 24, 25, 29.97, 29.97df, 30, 50, 59.94df, 60,
                       120, 30000/1001, ...
      --to TIMEBASE    calc, convert: give the result at TIMEBASE, same running time
      --keep-label     with --to: keep hours, minutes, seconds and frames instead
      --realtime       frames: read running times such as 0:59:59.996
  -v, --verbose        write label, frame count and running time
      --json           write JSON
  -h, --help           show this help and exit
      --version        show the version and exit
  --                   end of options, so that negative values can follow

Without a value, or with '-', label, frames, realtime and convert read one
value per line from standard input; sum reads standard input without a FILE.
Exit status: 0 if all input was read, 1 if some could not be, 2 on a usage error.

Examples:
  horodex-tc 01:00:00:00 + 00:00:10:12     01:00:10:12
  horodex-tc -r 29.97df '(00:10:00;00 - 00:00:00;02) * 2'
  horodex-tc -r 59.94df --to 23.976 00:40:00:00
  horodex-tc -r 25 label -- -25            -00:00:01:00
  cut -f2 log.txt | horodex-tc -r 24 frames
  horodex-tc -r 23.976 sum reel1.edl reel2.edl
)";

enum class Command { Calc, Label, Frames, RealTime, Convert, Sum };

struct Options {
    Command command = Command::Calc;
    ELKTimebase_t rate {};
    ELKTimebase_t to {};
    bool hasTo = false;
    bool keepLabel = false;
    bool realTime = false;
    bool verbose = false;
    bool json = false;
    std::vector<const char*> operands;
};

[[noreturn]] void usageError(const std::string& message)
{
    std::fprintf(stderr, "horodex-tc: %s\nTry 'horodex-tc --help' for more information.\n", message.c_str());
    std::exit(2);
}

void message(const std::string& text)
{
    std::fprintf(stderr, "horodex-tc: %s\n", text.c_str());
}

// Standard output through one large buffer, written when full.
class Output
{
public:
    Output() { m_buffer.reserve(kSize + 4096); }

    std::string& buffer() { return m_buffer; }

    void lineDone()
    {
        m_buffer += '\n';
        if (m_buffer.size() >= kSize) flush();
    }

    // False once a write has failed; the error is reported once.
    bool flush()
    {
        size_t done = 0;
        while (!m_failed && done < m_buffer.size()) {
            const ssize_t n = write(STDOUT_FILENO, m_buffer.data() + done, m_buffer.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                message(std::string("write error: ") + std::strerror(errno));
                m_failed = true;
            } else {
                done += size_t(n);
            }
        }
        m_buffer.clear();
        return !m_failed;
    }

private:
    static constexpr size_t kSize = 1 << 16;
    std::string m_buffer;
    bool m_failed = false;
};

ELKTimebase_t readTimebase(const char* text, const char* where)
{
    ELKTimebase_t tb {};
    if (ELKTimebase_FromText(&tb, text, -1) != ELK_OK)
        usageError(std::string("unknown timebase '") + text + "'" + where);
    return tb;
}

void appendTimebase(std::string& out, const ELKTimebase_t& tb)
{
    char text[ELK_DURATION_TEXT_MAX];
    const int32_t n = ELKTimebase_ToText(&tb, text, sizeof text);
    out.append(text, n > 0 ? size_t(n) : 0);
}

void appendLabel(std::string& out, const ELKDuration_t& d)
{
    char text[ELK_DURATION_TEXT_MAX];
    const int32_t n = ELKDuration_ToText(&d, text, sizeof text, ELK_FALSE);
    out.append(text, n > 0 ? size_t(n) : 0);
}

void appendRealTime(std::string& out, const ELKDuration_t& d)
{
    char text[ELK_DURATION_TEXT_MAX];
    const int32_t n = ELKDuration_ToRealTime(&d, text, sizeof text);
    out.append(text, n > 0 ? size_t(n) : 0);
}

// The three forms of a duration as one JSON object, without its braces.
void appendJsonFields(std::string& out, const ELKDuration_t& d)
{
    std::string text;
    out += "\"label\": ";
    appendLabel(text, d);
    appendJsonString(out, text);
    out += ", \"frames\": ";
    appendInteger(out, d.frames);
    out += ", \"realtime\": ";
    text.clear();
    appendRealTime(text, d);
    appendJsonString(out, text);
}

void appendJsonDuration(std::string& out, const ELKDuration_t& d)
{
    out += '{';
    appendJsonFields(out, d);
    out += '}';
}

// One result: the form the command names, all three with -v, or JSON.
void appendResult(std::string& out, const Options& opt, const ELKDuration_t& d)
{
    if (opt.json) return appendJsonDuration(out, d);
    if (opt.verbose) {
        appendLabel(out, d);
        out += "  ";
        appendInteger(out, d.frames);
        out += "  ";
        return appendRealTime(out, d);
    }
    switch (opt.command) {
    case Command::Frames:
        return appendInteger(out, d.frames);
    case Command::RealTime:
        return appendRealTime(out, d);
    default:
        return appendLabel(out, d);
    }
}

bool convert(const Options& opt, ELKDuration_t* d)
{
    if (!opt.hasTo) return true;
    return (opt.keepLabel ? ELKDuration_ConvertLabel(d, &opt.to) : ELKDuration_ConvertRealTime(d, &opt.to))
        == ELK_OK;
}

int runCalc(const Options& opt, Output& out)
{
    std::string text;
    for (const char* operand : opt.operands) {
        if (!text.empty()) text += ' ';
        text += operand;
    }
    ELKDuration_t d;
    TextError error;
    if (!evaluateExpression(text.data(), text.size(), opt.rate, &d, &error)) {
        message("column " + std::to_string(columnAt(text.data(), error.offset)) + ": " + error.reason);
        return 1;
    }
    if (!convert(opt, &d)) {
        std::string rate;
        appendTimebase(rate, opt.to);
        message("the result is out of range at " + rate);
        return 1;
    }
    std::string& b = out.buffer();
    if (opt.json) {
        b += "{\"rate\": ";
        std::string rate;
        appendTimebase(rate, d.base);
        appendJsonString(b, rate);
        b += ", ";
        appendJsonFields(b, d);
        b += '}';
    } else {
        appendResult(b, opt, d);
    }
    out.lineDone();
    return 0;
}

// Converts the values of label, frames, realtime and convert, one per
// argument or line, and keeps every output line in step with its input.
class ValueWriter
{
public:
    ValueWriter(const Options& opt, Output& out)
        : m_opt(opt)
        , m_out(out)
    {
    }

    bool failed() const { return m_failed; }

    // `where` names the value for messages: "line 12" or "argument 2".
    void value(const char* text, size_t length, const char* where, int64_t number)
    {
        size_t begin = 0, end = length;
        while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
        while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r')) --end;
        std::string& b = m_out.buffer();
        if (begin == end) {
            if (m_opt.json) b += "null";
            return m_out.lineDone();
        }
        ELKDuration_t d;
        ELKDuration_Init(&d, &m_opt.rate);
        TextError error;
        bool ok = m_opt.command == Command::Label
            ? readFrameCount(text + begin, end - begin, &d.frames, &error)
            : readTime(text + begin, end - begin, m_opt.realTime, &d, &error);
        error.offset += begin;
        if (ok && !convert(m_opt, &d)) {
            ok = false;
            error.offset = begin;
            error.reason = "out of range at the new timebase";
        }
        if (ok) {
            appendResult(b, m_opt, d);
        } else {
            m_failed = true;
            // Messages must not land between results waiting in the buffer.
            m_out.flush();
            std::fprintf(stderr, "horodex-tc: %s %lld, column %lld: %s\n", where,
                static_cast<long long>(number), static_cast<long long>(columnAt(text, error.offset)),
                error.reason.c_str());
            if (m_opt.json) b += "null";
        }
        m_out.lineDone();
    }

    // Reads fd to its end, line by line. False when it cannot be read.
    bool stream(int fd)
    {
        constexpr size_t kSize = 1 << 20; // also the longest line kept
        static const char kBom[] = "\xEF\xBB\xBF";
        std::vector<char> buffer(kSize);
        size_t have = 0;
        int64_t line = 0;
        bool skipping = false; // in the rest of an overlong line
        bool first = true;
        // Lines end in LF or CRLF, or in CR alone as spreadsheets on the Mac
        // still save them; the first line end decides.
        char lineEnd = '\n';
        bool decided = false;
        for (;;) {
            // Results wait for no more than the input has given, so that a person
            // typing values, or a script feeding one at a time, gets each answer.
            m_out.flush();
            const ssize_t n = read(fd, buffer.data() + have, kSize - have);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                message(std::string("standard input: ") + std::strerror(errno));
                return false;
            }
            have += size_t(n);
            char* data = buffer.data();
            size_t start = 0;
            if (first) {
                // A byte-order mark may arrive in pieces through a pipe.
                if (n != 0 && have < 3 && std::memcmp(data, kBom, have) == 0) continue;
                if (have >= 3 && std::memcmp(data, kBom, 3) == 0) start = 3;
                first = false;
            }
            if (!decided) {
                const char* cr = static_cast<const char*>(std::memchr(data + start, '\r', have - start));
                const char* lf = static_cast<const char*>(std::memchr(data + start, '\n', have - start));
                if (cr && (!lf || cr < lf) && cr + 1 < data + have) lineEnd = cr[1] == '\n' ? '\n' : '\r';
                decided = lf || (cr && cr + 1 < data + have);
            }
            while (
                const char* nl = static_cast<const char*>(std::memchr(data + start, lineEnd, have - start))) {
                const size_t end = size_t(nl - data);
                if (skipping)
                    skipping = false;
                else
                    value(data + start, end - start, "line", ++line);
                start = end + 1;
            }
            if (n == 0) {
                if (start < have && !skipping) value(data + start, have - start, "line", ++line);
                return true;
            }
            if (start == 0 && have == kSize) {
                if (!skipping) tooLong(++line);
                skipping = true;
                have = 0;
                continue;
            }
            std::memmove(data, data + start, have - start);
            have -= start;
        }
    }

private:
    void tooLong(int64_t line)
    {
        m_failed = true;
        m_out.flush();
        std::fprintf(stderr, "horodex-tc: line %lld: line too long\n", static_cast<long long>(line));
        if (m_opt.json) m_out.buffer() += "null";
        m_out.lineDone();
    }

    const Options& m_opt;
    Output& m_out;
    bool m_failed = false;
};

int runValues(const Options& opt, Output& out)
{
    ValueWriter writer(opt, out);
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

// A whole input in memory. Unlike a string it is not cleared before it is
// read into, which a file of hundreds of megabytes would feel.
class Input
{
public:
    Input() = default;
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    ~Input() { std::free(m_data); }

    const char* data() const { return m_data; }
    size_t size() const { return m_size; }

    // Reads a whole file, or standard input for "-". False, with errno set,
    // when it cannot be opened, read or held.
    bool read(const char* name)
    {
        const bool isStdin = std::strcmp(name, "-") == 0;
        const int fd = isStdin ? STDIN_FILENO : open(name, O_RDONLY | O_CLOEXEC);
        bool ok = fd >= 0;
        struct stat st {
        };
        // A file is read at its size plus a byte to see its end; a pipe grows as it comes.
        const bool regular = ok && fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        ok = ok && grow(regular ? size_t(st.st_size) + 1 : size_t(1) << 16);
        while (ok) {
            if (m_size == m_capacity && !grow(2 * m_capacity)) {
                ok = false;
                break;
            }
            const ssize_t n = ::read(fd, m_data + m_size, m_capacity - m_size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            m_size += size_t(n);
        }
        const int saved = errno;
        if (fd >= 0 && !isStdin) close(fd);
        errno = saved;
        return ok;
    }

private:
    bool grow(size_t capacity)
    {
        char* data = static_cast<char*>(std::realloc(m_data, capacity));
        if (!data) {
            errno = ENOMEM;
            return false;
        }
        m_data = data;
        m_capacity = capacity;
        return true;
    }

    char* m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

class SumWriter
{
public:
    SumWriter(const Options& opt, Output& out)
        : m_opt(opt)
        , m_out(out)
    {
        ELKList_Init(&m_list, &opt.rate);
    }
    ~SumWriter() { ELKList_Destroy(&m_list); }

    int run()
    {
        std::vector<const char*> files = m_opt.operands;
        if (files.empty()) files.push_back("-");
        bool ok = true;
        for (const char* name : files) {
            Input text;
            if (!text.read(name)) {
                const char* why = std::strerror(errno);
                message(std::string(name) + ": " + why);
                m_unreadable.push_back({ name, why });
                ok = false;
                continue;
            }
            const int64_t errorsBefore = m_list.errorCount;
            m_names.push_back(name);
            if (ELKList_Read(&m_list, text.data(), int64_t(text.size())) != ELK_OK) ok = false;
            for (int64_t i = errorsBefore; i < m_list.errorCount; ++i) {
                const ELKListError_t& e = m_list.errors[i];
                char reason[ELK_LIST_REASON_MAX];
                ELKList_ErrorText(&m_list, &e, reason, sizeof reason);
                std::fprintf(stderr, "horodex-tc: %s:%lld:%d: %s\n", name, static_cast<long long>(e.line),
                    e.column, reason);
            }
        }
        if (m_list.errorCount > 0)
            std::fprintf(stderr, "horodex-tc: %lld of %lld lines left out\n",
                static_cast<long long>(m_list.errorCount), static_cast<long long>(m_list.lines));
        if (m_opt.json)
            writeJson();
        else
            writeText();
        return ok ? 0 : 1;
    }

private:
    ELKDuration_t duration(int64_t frames) const { return ELKDuration_t { frames, m_list.base }; }

    void appendPadded(std::string& b, int64_t frames, size_t width) const
    {
        char text[ELK_DURATION_TEXT_MAX];
        const ELKDuration_t d = duration(frames);
        const int32_t n = ELKDuration_ToText(&d, text, sizeof text, ELK_FALSE);
        const size_t length = n > 0 ? size_t(n) : 0;
        if (length < width) b.append(width - length, ' ');
        b.append(text, length);
    }

    // The tape: where, [track,] [in, out,] duration, running total, label;
    // then the totals, each as label, frame count and running time.
    void writeText()
    {
        size_t whereWidth = 1, trackWidth = 0;
        bool anyInOut = false;
        std::string where;
        for (int64_t i = 0; i < m_list.entryCount; ++i) {
            const ELKListEntry_t& e = m_list.entries[i];
            // Line numbers only grow within an input, so its last entry is the widest.
            if (i + 1 == m_list.entryCount || m_list.entries[i + 1].input != e.input) {
                where.clear();
                appendWhere(where, e.input, e.line);
                whereWidth = std::max(whereWidth, where.size());
            }
            trackWidth = std::max(trackWidth, size_t(e.trackLength));
            anyInOut = anyInOut || e.hasInOut == ELK_TRUE;
        }
        std::string zero;
        appendLabel(zero, duration(0));
        const size_t width = zero.size() + 1; // room for a sign
        std::string& b = m_out.buffer();
        for (int64_t i = 0; i < m_list.entryCount; ++i) {
            const ELKListEntry_t& e = m_list.entries[i];
            where.clear();
            appendWhere(where, e.input, e.line);
            b.append(whereWidth - where.size(), ' ').append(where);
            if (trackWidth > 0) {
                b += "  ";
                appendUtf8(b, m_list.text + e.track, size_t(e.trackLength));
                b.append(trackWidth - size_t(e.trackLength), ' ');
            }
            if (anyInOut) {
                if (e.hasInOut == ELK_TRUE) {
                    appendPadded(b, e.in, width + 1);
                    appendPadded(b, e.out, width + 1);
                } else {
                    b.append(2 * (width + 1), ' ');
                }
            }
            appendPadded(b, e.duration, width + 1);
            appendPadded(b, e.running, width + 1);
            if (e.labelLength > 0) {
                b += "  ";
                appendUtf8(b, m_list.text + e.label, size_t(e.labelLength));
            }
            m_out.lineDone();
        }
        if (m_list.entryCount > 0) m_out.lineDone();
        totalLine("sum", m_list.sum);
        if (m_list.hasUnique == ELK_TRUE) totalLine("unique", m_list.unique);
        for (int32_t i = 0; i < m_list.trackCount; ++i) {
            const ELKListTrack_t& t = m_list.tracks[i];
            std::string name;
            appendUtf8(name, m_list.text + t.name, size_t(t.nameLength > 0 ? t.nameLength : 0));
            totalLine(name + " sum", t.sum);
            totalLine(name + " unique", t.unique);
        }
        m_out.flush();
    }

    // "12", or "reel1.edl:12" when several inputs were read.
    void appendWhere(std::string& out, int32_t input, int64_t line) const
    {
        if (m_names.size() > 1) out.append(m_names[size_t(input)]) += ':';
        appendInteger(out, line);
    }

    void totalLine(const std::string& name, int64_t frames)
    {
        std::string& b = m_out.buffer();
        b += name;
        b.append(name.size() < 10 ? 10 - name.size() : 1, ' ');
        appendResultLine(b, duration(frames));
        m_out.lineDone();
    }

    static void appendResultLine(std::string& b, const ELKDuration_t& d)
    {
        appendLabel(b, d);
        b += "  ";
        appendInteger(b, d.frames);
        b += "  ";
        appendRealTime(b, d);
    }

    void writeJson()
    {
        std::string& b = m_out.buffer();
        b += "{\"rate\": ";
        std::string rate;
        appendTimebase(rate, m_list.base);
        appendJsonString(b, rate);
        b += ", \"lines\": ";
        appendInteger(b, m_list.lines);
        b += ", \"entries\": ";
        appendInteger(b, m_list.entryCount);
        b += ", \"errors\": [";
        bool first = true;
        for (const auto& u : m_unreadable) {
            b += first ? "" : ", ";
            first = false;
            b += "{\"file\": ";
            appendJsonString(b, u.first);
            b += ", \"line\": 0, \"column\": 0, \"text\": \"\", \"why\": ";
            appendJsonString(b, u.second);
            b += '}';
        }
        for (int64_t i = 0; i < m_list.errorCount; ++i) {
            const ELKListError_t& e = m_list.errors[i];
            b += first ? "{\"file\": " : ", {\"file\": ";
            first = false;
            appendJsonString(b, m_names[size_t(e.input)]);
            b += ", \"line\": ";
            appendInteger(b, e.line);
            b += ", \"column\": ";
            appendInteger(b, e.column);
            b += ", \"text\": ";
            appendJsonString(b, m_list.text + e.text, size_t(e.textLength > 0 ? e.textLength : 0));
            b += ", \"why\": ";
            char reason[ELK_LIST_REASON_MAX];
            appendJsonString(b, reason, size_t(ELKList_ErrorText(&m_list, &e, reason, sizeof reason)));
            b += '}';
            if (b.size() >= (1 << 16)) m_out.flush();
        }
        b += "], \"total\": ";
        appendJsonDuration(b, duration(m_list.sum));
        b += ", \"unique\": ";
        if (m_list.hasUnique == ELK_TRUE)
            appendJsonDuration(b, duration(m_list.unique));
        else
            b += "null";
        b += ", \"tracks\": {";
        for (int32_t i = 0; i < m_list.trackCount; ++i) {
            const ELKListTrack_t& t = m_list.tracks[i];
            if (i > 0) b += ", ";
            appendJsonString(b, m_list.text + t.name, size_t(t.nameLength));
            b += ": {\"total\": ";
            appendJsonDuration(b, duration(t.sum));
            b += ", \"unique\": ";
            appendJsonDuration(b, duration(t.unique));
            b += '}';
        }
        b += "}}";
        m_out.lineDone();
        m_out.flush();
    }

    const Options& m_opt;
    Output& m_out;
    ELKList_t m_list;
    std::vector<const char*> m_names; // per input read
    std::vector<std::pair<std::string, std::string>> m_unreadable; // file, why
};

// The value of an option that takes one: "--to=25", "--to 25", "-r25", "-r 25".
const char* optionValue(const char* name, const char* attached, int& i, int argc, char** argv)
{
    if (attached) return attached;
    if (i + 1 >= argc) usageError(std::string("option '") + name + "' needs a timebase");
    return argv[++i];
}

Options parseArguments(int argc, char** argv)
{
    Options opt;
    const char* rate = nullptr;
    const char* to = nullptr;
    bool hasCommand = false, optionsEnd = false, named = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (optionsEnd || arg[0] != '-' || arg[1] == '\0') {
            static const struct {
                const char* name;
                Command command;
            } commands[] = { { "calc", Command::Calc }, { "label", Command::Label },
                { "frames", Command::Frames }, { "realtime", Command::RealTime },
                { "convert", Command::Convert }, { "sum", Command::Sum } };
            if (!hasCommand && !optionsEnd && opt.operands.empty()) {
                hasCommand = true;
                for (const auto& c : commands) {
                    if (std::strcmp(arg, c.name) == 0) {
                        opt.command = c.command;
                        named = true;
                    }
                }
                if (named) continue;
            }
            // Options stop at the first operand: "01:00 - 5" stays an expression.
            optionsEnd = true;
            opt.operands.push_back(arg);
            continue;
        }
        if (std::strcmp(arg, "--") == 0) {
            optionsEnd = true;
            continue;
        }
        if (arg[1] == '-') {
            const char* eq = std::strchr(arg, '=');
            const std::string name = eq ? std::string(arg, size_t(eq - arg)) : std::string(arg);
            const char* attached = eq ? eq + 1 : nullptr;
            if (name == "--rate")
                rate = optionValue("--rate", attached, i, argc, argv);
            else if (name == "--to")
                to = optionValue("--to", attached, i, argc, argv);
            else if (eq)
                usageError("option '" + name + "' takes no value");
            else if (name == "--json")
                opt.json = true;
            else if (name == "--keep-label")
                opt.keepLabel = true;
            else if (name == "--realtime")
                opt.realTime = true;
            else if (name == "--verbose")
                opt.verbose = true;
            else if (name == "--help")
                std::fputs(kHelp, stdout), std::exit(0);
            else if (name == "--version")
                std::puts("horodex-tc " HORODEX_VERSION), std::exit(0);
            else
                usageError("unknown option '" + name + "'");
            continue;
        }
        for (const char* c = arg + 1; *c; ++c) {
            if (*c == 'r') {
                rate = optionValue("-r", c[1] ? c + 1 : nullptr, i, argc, argv);
                break;
            }
            if (*c == 'v')
                opt.verbose = true;
            else if (*c == 'h')
                std::fputs(kHelp, stdout), std::exit(0);
            else if (*c >= '0' && *c <= '9')
                usageError(std::string("unknown option '") + arg + "' (put '--' before negative values)");
            else
                usageError(std::string("unknown option '-") + *c + "'");
        }
    }

    const char* environment = std::getenv("HORODEX_RATE");
    if (rate)
        opt.rate = readTimebase(rate, "");
    else if (environment && *environment)
        opt.rate = readTimebase(environment, " in HORODEX_RATE");
    else
        ELKTimebase_Set(&opt.rate, 30, 1, ELK_FALSE);
    if (to) {
        opt.to = readTimebase(to, "");
        opt.hasTo = true;
    }

    const bool converts = opt.command == Command::Calc || opt.command == Command::Convert;
    if (opt.hasTo && !converts) usageError("--to applies to calc and convert only");
    if (opt.command == Command::Convert && !opt.hasTo) usageError("convert needs --to TIMEBASE");
    if (opt.keepLabel && !opt.hasTo) usageError("--keep-label needs --to TIMEBASE");
    if (opt.realTime && opt.command != Command::Frames) usageError("--realtime applies to frames only");
    if (opt.command == Command::Calc && opt.operands.empty()) usageError("missing expression");
    // A word alone cannot start an expression: every time has a digit.
    const char* first = opt.operands.empty() ? "" : opt.operands.front();
    if (opt.command == Command::Calc && !named && *first
        && std::all_of(first, first + std::strlen(first), [](char c) { return c >= 'a' && c <= 'z'; }))
        usageError(std::string("unknown command '") + first + "'");
    return opt;
}

} // namespace

int main(int argc, char** argv)
{
    const Options opt = parseArguments(argc, argv);
    Output out;
    int status = 0;
    if (opt.command == Command::Calc)
        status = runCalc(opt, out);
    else if (opt.command == Command::Sum)
        status = SumWriter(opt, out).run();
    else
        status = runValues(opt, out);
    return out.flush() ? status : 1;
}
