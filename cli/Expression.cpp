// SPDX-License-Identifier: MIT
#include "Expression.h"

#include <string>

#include "ELKChars.h"

namespace
{

// Deep enough for any expression a person writes, shallow enough for the stack.
constexpr int kMaxDepth = 200;

bool isOperator(char c)
{
    return c == '+' || c == '-' || c == '*' || c == '/' || c == '(' || c == ')';
}

// Digits with at most one decimal point: "3", "1.5", "2.", ".5".
bool isPlainNumber(const char* s, size_t n)
{
    size_t digits = 0, points = 0;
    for (size_t i = 0; i < n; ++i) {
        if (ELKChar_IsDigit(s[i]))
            ++digits;
        else if (s[i] == '.')
            ++points;
        else
            return false;
    }
    return digits > 0 && points <= 1;
}

// A term as read: a duration, or a plain number that is also kept as the
// duration it reads as, until an operator decides which it is.
struct Operand {
    ELKDuration_t d;
    size_t at = 0; // where the term starts, for messages
    bool isNumber = false;
    std::string number; // signed and normalised for the library: "-1.5", "0.5", "2"
    bool durationOk = true; // whether the number reads as a duration
    TextError durationError;
};

class Parser
{
public:
    Parser(const char* text, size_t length, const ELKTimebase_t& tb)
        : m_text(text)
        , m_length(length)
        , m_tb(tb)
    {
    }

    bool parse(ELKDuration_t* result, TextError* error)
    {
        m_error = error;
        skipBlanks();
        if (atEnd()) return fail(0, "empty expression");
        Operand v;
        if (!expression(v)) return false;
        skipBlanks();
        if (!atEnd()) return fail(m_pos, unexpectedHere());
        if (!asDuration(v)) return false;
        *result = v.d;
        return true;
    }

private:
    bool atEnd() const { return m_pos >= m_length; }
    char current() const { return m_text[m_pos]; }

    void skipBlanks()
    {
        while (!atEnd() && ELKChar_IsBlankOrLineEnd(current())) ++m_pos;
    }

    size_t tokenEnd(size_t from) const
    {
        while (from < m_length && !ELKChar_IsBlankOrLineEnd(m_text[from]) && !isOperator(m_text[from]))
            ++from;
        return from;
    }

    bool fail(size_t offset, std::string reason)
    {
        m_error->offset = offset;
        m_error->reason = std::move(reason);
        return false;
    }

    std::string unexpectedHere() const
    {
        if (isOperator(current())) return std::string("unexpected '") + current() + "'";
        const size_t end = tokenEnd(m_pos);
        return "missing operator before '" + std::string(m_text + m_pos, end - m_pos) + "'";
    }

    bool asDuration(Operand& v)
    {
        if (v.isNumber && !v.durationOk) return fail(v.durationError.offset, v.durationError.reason);
        v.isNumber = false;
        return true;
    }

    bool expression(Operand& out)
    {
        if (!term(out)) return false;
        for (;;) {
            skipBlanks();
            if (atEnd() || (current() != '+' && current() != '-')) return true;
            const size_t op = m_pos++;
            const bool add = m_text[op] == '+';
            Operand right;
            if (!term(right) || !asDuration(out) || !asDuration(right)) return false;
            int64_t sum = 0;
            const bool overflow = add ? __builtin_add_overflow(out.d.frames, right.d.frames, &sum)
                                      : __builtin_sub_overflow(out.d.frames, right.d.frames, &sum);
            if (overflow) return fail(op, "result out of range");
            out.d.frames = sum;
        }
    }

    bool term(Operand& out)
    {
        if (!unary(out)) return false;
        for (;;) {
            skipBlanks();
            if (atEnd() || (current() != '*' && current() != '/')) return true;
            const size_t op = m_pos++;
            Operand right;
            if (!unary(right)) return false;
            if (m_text[op] == '*') {
                if (out.isNumber && right.isNumber) return fail(op, "cannot multiply two numbers");
                if (!out.isNumber && !right.isNumber) return fail(op, "cannot multiply two durations");
                const Operand& number = out.isNumber ? out : right;
                ELKDuration_t d = out.isNumber ? right.d : out.d;
                if (!scale(&d, number, op, ELKDuration_Multiply)) return false;
                out.d = d;
            } else {
                if (!right.isNumber) return fail(op, "cannot divide by a duration");
                if (out.isNumber) return fail(op, "cannot divide a number");
                if (right.number.find_first_not_of("-0.") == std::string::npos)
                    return fail(right.at, "division by zero");
                if (!scale(&out.d, right, op, ELKDuration_Divide)) return false;
            }
            out.isNumber = false;
        }
    }

    using Scaler = int8_t (*)(ELKDuration_t*, const char*, int32_t);

    bool scale(ELKDuration_t* d, const Operand& number, size_t op, Scaler by)
    {
        if (by(d, number.number.data(), int32_t(number.number.size())) == ELK_OK) return true;
        // Tell a number the library cannot take apart from a result too large.
        ELKDuration_t one;
        ELKDuration_Init(&one, &m_tb);
        one.frames = 1;
        if (by(&one, number.number.data(), int32_t(number.number.size())) != ELK_OK)
            return fail(number.at, "number out of range");
        return fail(op, "result out of range");
    }

    bool unary(Operand& out)
    {
        skipBlanks();
        out.at = m_pos;
        if (atEnd() || (current() != '+' && current() != '-')) return primary(out);
        const size_t op = m_pos++;
        if (++m_depth > kMaxDepth) return fail(op, "expression nested too deeply");
        if (!unary(out)) return false;
        --m_depth;
        if (m_text[op] == '+') return true;
        if (out.isNumber) {
            out.number = out.number[0] == '-' ? out.number.substr(1) : "-" + out.number;
            if (!out.durationOk) return true;
        }
        if (out.d.frames == INT64_MIN) {
            if (!out.isNumber) return fail(op, "result out of range");
            out.durationOk = false;
            out.durationError = { op, "result out of range" };
            return true;
        }
        out.d.frames = -out.d.frames;
        return true;
    }

    bool primary(Operand& out)
    {
        skipBlanks();
        if (atEnd()) return fail(m_pos, "unexpected end of expression");
        const size_t start = m_pos;
        if (current() == '(') {
            if (++m_depth > kMaxDepth) return fail(start, "expression nested too deeply");
            ++m_pos;
            if (!expression(out)) return false;
            skipBlanks();
            if (atEnd()) return fail(start, "missing ')'");
            if (current() != ')') return fail(m_pos, unexpectedHere());
            ++m_pos;
            --m_depth;
            // "(2)" is a duration: only a bare number is a factor.
            return asDuration(out);
        }
        if (isOperator(current())) return fail(start, std::string("unexpected '") + current() + "'");

        // A term runs to the next operator, so that "1h 30m" and "01 00 00 00"
        // read as the library reads them.
        size_t end = start;
        while (end < m_length && !isOperator(m_text[end])) ++end;
        m_pos = end;
        while (ELKChar_IsBlankOrLineEnd(m_text[end - 1])) --end;
        const char* token = m_text + start;
        const size_t length = end - start;
        ELKDuration_Init(&out.d, &m_tb);
        TextError error;
        const bool ok = readTime(token, length, false, &out.d, &error);
        error.offset += start;
        if (!isPlainNumber(token, length)) {
            if (!ok) return fail(error.offset, error.reason);
            return true;
        }
        out.isNumber = true;
        out.durationOk = ok;
        out.durationError = error;
        out.number.assign(token, length);
        if (out.number.back() == '.') out.number.pop_back();
        if (out.number.front() == '.') out.number.insert(0, 1, '0');
        return true;
    }

    const char* m_text;
    size_t m_length;
    const ELKTimebase_t& m_tb;
    size_t m_pos = 0;
    int m_depth = 0;
    TextError* m_error = nullptr;
};

} // namespace

bool evaluateExpression(
    const char* text, size_t length, const ELKTimebase_t& tb, ELKDuration_t* result, TextError* error)
{
    return Parser(text, length, tb).parse(result, error);
}
