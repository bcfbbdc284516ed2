// SPDX-License-Identifier: MIT
#include "Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "Json.h"

Output::Output()
{
    m_buffer.reserve(kSize + 4096);
}

Output::Output(std::string* capture)
    : m_capture(capture)
{
}

bool Output::flush()
{
    if (m_capture) {
        m_capture->append(m_buffer);
        m_buffer.clear();
        return true;
    }
    size_t done = 0;
    while (!m_failed && done < m_buffer.size()) {
        const ssize_t n = write(STDOUT_FILENO, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            report({}, std::string("write error: ") + std::strerror(errno));
            m_failed = true;
        } else {
            done += size_t(n);
        }
    }
    m_buffer.clear();
    return !m_failed;
}

void report(const Place& place, const std::string& reason)
{
    std::string text = "horodex-tc: ";
    if (place.file) {
        text += place.file;
        if (place.line > 0) text += ':' + std::to_string(place.line);
        if (place.line > 0 && place.column > 0) text += ':' + std::to_string(place.column);
        text += ": ";
    } else if (place.line > 0 || place.column > 0) {
        if (place.line > 0)
            text += std::string(place.kind ? place.kind : "line") + ' ' + std::to_string(place.line);
        if (place.line > 0 && place.column > 0) text += ", ";
        if (place.column > 0) text += "column " + std::to_string(place.column);
        text += ": ";
    }
    text += reason;
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stderr);
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

void appendAllForms(std::string& out, const ELKDuration_t& d)
{
    appendLabel(out, d);
    out += "  ";
    appendInteger(out, d.frames);
    out += "  ";
    appendRealTime(out, d);
}

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

void appendJsonResult(std::string& out, const ELKDuration_t& d)
{
    out += "{\"rate\": ";
    std::string rate;
    appendTimebase(rate, d.base);
    appendJsonString(out, rate);
    out += ", ";
    appendJsonFields(out, d);
    out += '}';
}
