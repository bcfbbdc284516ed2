// SPDX-License-Identifier: MIT
// sum: lists, EDLs and timelines read whole, totalled by the library,
// written as the tape with its totals or as one JSON object.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "Command.h"
#include "ELKInput.h"
#include "Json.h"
#include "Output.h"

namespace
{

class SumWriter
{
public:
    SumWriter(const Options& opt, Output& out)
        : m_opt(opt)
        , m_out(out)
    {
        ELKList_Init(&m_list, &opt.rate, opt.rateFrom);
    }
    ~SumWriter() { ELKList_Destroy(&m_list); }

    int run()
    {
        std::vector<const char*> files = m_opt.operands;
        if (files.empty()) files.push_back("-");
        bool ok = true;
        for (const char* name : files) {
            if (!read(name)) ok = false;
        }
        if (m_linesLeftOut > 0)
            report({},
                std::to_string(m_linesLeftOut) + " of " + std::to_string(m_list.lines) + " lines left out");
        if (m_list.rateFrom == ELK_RATE_FROM_DEFAULT && (m_list.lines > 0 || m_list.entryCount > 0))
            sayDefault();
        if (m_opt.json)
            writeJson();
        else
            writeText();
        return ok ? 0 : 1;
    }

private:
    // One file into the list (a timeline file may hold several inputs); false
    // when some of it was left out.
    bool read(const char* name)
    {
        const int64_t errorsBefore = m_list.errorCount;
        // The list counts at --rate, else at the first input's own rate, else at $HORODEX_RATE
        // or 30; later inputs do not change it.
        const bool own = m_names.empty() && m_opt.rateFrom != ELK_RATE_FROM_OPTION;
        const ELKReadOptions_t options { own ? ELK_RATE_OWN : ELK_RATE_KEEP };
        const bool ok
            = (std::strcmp(name, "-") == 0 ? ELKInput_ReadDescriptor(&m_list, STDIN_FILENO, &options)
                                           : ELKInput_ReadFile(&m_list, name, &options))
            == ELK_OK;
        m_names.resize(size_t(m_list.inputs), name);
        for (int64_t i = errorsBefore; i < m_list.errorCount; ++i) {
            const ELKListError_t& e = m_list.errors[i];
            const int8_t format = m_list.inputList[e.input].format;
            // Lines are counted in lists, EDLs and subtitles; a timeline's errors speak for themselves.
            const bool lines = format == ELK_FORMAT_LIST || format == ELK_FORMAT_EDL
                || format == ELK_FORMAT_SRT || format == ELK_FORMAT_VTT;
            if (e.line > 0 && lines) ++m_linesLeftOut;
            if (e.fault == ELK_FAULT_FOLDER)
                report({}, std::string(name) + " is a folder, not a list");
            else
                report({ name, nullptr, e.line, e.column }, reason(e));
        }
        return ok;
    }

    // The timebase fell to the default: say so, since every label and count depends on it.
    void sayDefault() const
    {
        bool declared = false;
        for (int32_t i = 0; i < m_list.inputs; ++i)
            declared = declared || m_list.inputList[i].hasRate == ELK_TRUE;
        std::string text = "counted at ";
        appendTimebase(text, m_list.base);
        text += declared ? " fps, the default: the first input declares no rate (-r sets one)"
                         : " fps, the default: no input declares its rate (-r sets one)";
        report({}, text);
    }

    bool atListRate(const ELKTimebase_t& rate) const
    {
        return rate.num == m_list.base.num && rate.den == m_list.base.den
            && rate.dropFrame == m_list.base.dropFrame;
    }

    std::string reason(const ELKListError_t& e) const
    {
        char text[ELK_LIST_REASON_MAX];
        const int32_t n = ELKList_ErrorText(&m_list, &e, text, sizeof text);
        return std::string(text, n > 0 ? size_t(n) : 0);
    }

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
        for (int32_t i = 0; i < m_list.inputs; ++i) inputLine(i);
        totalLine("sum", m_list.sum);
        if (m_list.hasUnique == ELK_TRUE) totalLine("unique", m_list.unique);
        if (m_list.hasLength == ELK_TRUE) totalLine("length", m_list.length);
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

    // "input     cut.fcpxml  fcpxml "Cut"  at 23.976  length 00:00:40:00  1 left out"; an input
    // at a rate of its own that the list does not count at gives its length at that rate,
    // then at the list's: "at 24  length 00:02:16:18 (00:02:16:15 at 23.976)"
    void inputLine(int32_t i)
    {
        std::string& b = m_out.buffer();
        b += "input     ";
        appendUtf8(b, m_names[size_t(i)], std::strlen(m_names[size_t(i)]));
        const ELKListInput_t& in = m_list.inputList[i];
        b += "  ";
        b += ELKList_FormatName(in.format) ? ELKList_FormatName(in.format) : "not read";
        if (in.hasName == ELK_TRUE) {
            b += " \"";
            appendUtf8(b, m_list.text + in.name, size_t(in.nameLength));
            b += '"';
        }
        const bool otherRate = in.hasRate == ELK_TRUE && !atListRate(in.rate);
        if (in.hasRate == ELK_TRUE) {
            b += "  at ";
            appendTimebase(b, in.rate);
        }
        if (in.hasLength == ELK_TRUE) {
            b += "  length ";
            if (otherRate && in.hasOwnLength == ELK_TRUE) {
                appendLabel(b, ELKDuration_t { in.ownLength, in.rate });
                b += " (";
            }
            appendLabel(b, duration(in.length));
            if (otherRate) {
                b += " at ";
                appendTimebase(b, m_list.base);
            }
            if (otherRate && in.hasOwnLength == ELK_TRUE) b += ')';
        }
        if (in.leftOut > 0) {
            b += "  ";
            appendInteger(b, in.leftOut);
            b += " left out";
        }
        m_out.lineDone();
    }

    void appendJsonOrNull(std::string& b, bool has, int64_t frames) const
    {
        if (has)
            appendJsonDuration(b, duration(frames));
        else
            b += "null";
    }

    // One object per file, or per project, sequence or timeline in it.
    void appendJsonInputs(std::string& b) const
    {
        b += ", \"inputs\": [";
        for (int32_t i = 0; i < m_list.inputs; ++i) {
            const ELKListInput_t& in = m_list.inputList[i];
            b += i ? ", {\"file\": " : "{\"file\": ";
            appendJsonString(b, m_names[size_t(i)], std::strlen(m_names[size_t(i)]));
            b += ", \"name\": ";
            if (in.hasName == ELK_TRUE)
                appendJsonString(b, m_list.text + in.name, size_t(in.nameLength));
            else
                b += "null";
            b += ", \"format\": ";
            if (ELKList_FormatName(in.format))
                appendJsonString(
                    b, ELKList_FormatName(in.format), std::strlen(ELKList_FormatName(in.format)));
            else
                b += "null";
            b += ", \"rate\": ";
            std::string rate;
            if (in.hasRate == ELK_TRUE) appendTimebase(rate, in.rate);
            if (in.hasRate == ELK_TRUE)
                appendJsonString(b, rate);
            else
                b += "null";
            b += ", \"entries\": ";
            appendInteger(b, in.entries);
            b += ", \"errors\": ";
            appendInteger(b, in.errors);
            b += ", \"left_out\": ";
            appendInteger(b, in.leftOut);
            b += ", \"length\": ";
            appendJsonOrNull(b, in.hasLength == ELK_TRUE, in.length);
            b += ", \"own_length\": ";
            if (in.hasOwnLength == ELK_TRUE)
                appendJsonDuration(b, ELKDuration_t { in.ownLength, in.rate });
            else
                b += "null";
            b += ", \"total\": ";
            appendJsonDuration(b, duration(in.total));
            b += ", \"unique\": ";
            appendJsonOrNull(b, in.hasUnique == ELK_TRUE, in.unique);
            b += '}';
        }
        b += ']';
    }

    void totalLine(const std::string& name, int64_t frames)
    {
        std::string& b = m_out.buffer();
        b += name;
        b.append(name.size() < 10 ? 10 - name.size() : 1, ' ');
        appendAllForms(b, duration(frames));
        m_out.lineDone();
    }

    void writeJson()
    {
        std::string& b = m_out.buffer();
        b += "{\"rate\": ";
        std::string rate;
        appendTimebase(rate, m_list.base);
        appendJsonString(b, rate);
        static const char* const from[] = { "default", "option", "environment", "input" };
        b += ", \"rate_from\": \"";
        b += from[m_list.rateFrom >= 0 && m_list.rateFrom <= ELK_RATE_FROM_INPUT ? m_list.rateFrom : 0];
        b += '"';
        b += ", \"lines\": ";
        appendInteger(b, m_list.lines);
        b += ", \"entries\": ";
        appendInteger(b, m_list.entryCount);
        b += ", \"errors\": [";
        for (int64_t i = 0; i < m_list.errorCount; ++i) {
            const ELKListError_t& e = m_list.errors[i];
            b += i ? ", {\"file\": " : "{\"file\": ";
            appendJsonString(b, m_names[size_t(e.input)]);
            b += ", \"line\": ";
            appendInteger(b, e.line);
            b += ", \"column\": ";
            appendInteger(b, e.column);
            b += ", \"text\": ";
            appendJsonString(b, m_list.text + e.text, size_t(e.textLength > 0 ? e.textLength : 0));
            b += ", \"why\": ";
            appendJsonString(b, reason(e));
            b += '}';
            if (b.size() >= (1 << 16)) m_out.flush();
        }
        b += "], \"total\": ";
        appendJsonDuration(b, duration(m_list.sum));
        b += ", \"unique\": ";
        appendJsonOrNull(b, m_list.hasUnique == ELK_TRUE, m_list.unique);
        b += ", \"length\": ";
        appendJsonOrNull(b, m_list.hasLength == ELK_TRUE, m_list.length);
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
        b += '}';
        appendJsonInputs(b);
        b += '}';
        m_out.lineDone();
        m_out.flush();
    }

    const Options& m_opt;
    Output& m_out;
    ELKList_t m_list;
    std::vector<const char*> m_names; // the file each input in the list came from
    int64_t m_linesLeftOut = 0;
};

} // namespace

int runSum(const Options& opt, Output& out)
{
    return SumWriter(opt, out).run();
}
