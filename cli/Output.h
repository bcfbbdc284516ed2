// SPDX-License-Identifier: MIT
// What horodex-tc writes: results to standard output through one buffer, and
// every message to standard error through one function.
#ifndef HORODEX_TC_OUTPUT_H
#define HORODEX_TC_OUTPUT_H

#include <cstdint>
#include <string>

#include "ELKDuration.h"

// Standard output through one large buffer, written when full; or, for a
// caller that takes the results as a string (the page), kept in *capture.
class Output
{
public:
    Output();
    explicit Output(std::string* capture);

    std::string& buffer() { return m_buffer; }

    void lineDone()
    {
        m_buffer += '\n';
        if (m_buffer.size() >= kSize) flush();
    }

    // False once a write has failed; the error is reported once.
    bool flush();

private:
    static constexpr size_t kSize = 1 << 16;
    std::string m_buffer;
    bool m_failed = false;
    std::string* m_capture = nullptr;
};

// Where a fault lies. A file is written "FILE:LINE:COLUMN"; without one, a
// place of another kind is "line 12, column 5" or "argument 2, column 1".
// Line and column count from 1; 0 leaves them out.
struct Place {
    const char* file = nullptr;
    const char* kind = nullptr; // "line", "argument"
    int64_t line = 0;
    int64_t column = 0;
};

// Writes "horodex-tc: PLACE: reason" to standard error, or "horodex-tc:
// reason" when nothing of the place is known.
void report(const Place& place, const std::string& reason);

void appendTimebase(std::string& out, const ELKTimebase_t& tb);
void appendLabel(std::string& out, const ELKDuration_t& d);
void appendRealTime(std::string& out, const ELKDuration_t& d);
// Label, frame count and running time, two blanks apart.
void appendAllForms(std::string& out, const ELKDuration_t& d);
// The three forms as JSON fields, without braces; then as an object.
void appendJsonFields(std::string& out, const ELKDuration_t& d);
void appendJsonDuration(std::string& out, const ELKDuration_t& d);
// {"rate": "29.97df", "label": ..., "frames": ..., "realtime": ...}
void appendJsonResult(std::string& out, const ELKDuration_t& d);

#endif
