// SPDX-License-Identifier: MIT
// Decodes arbitrary bytes and writes them back where the encoding can hold
// them; splits them into lines in pieces cut where the input says and checks
// that no byte is lost; decodes them as a stream and checks it agrees.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ELKString.h"
#include "ELKText.h"

namespace
{

void check(bool ok)
{
    if (!ok) std::abort();
}

// Every line end as LF.
std::string withLf(const char* p, int64_t n)
{
    std::string s;
    for (int64_t i = 0; i < n; ++i) {
        if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n') continue;
        s += p[i] == '\r' ? '\n' : p[i];
    }
    return s;
}

std::string encoded(const ELKText_t& t, int8_t encoding)
{
    char* out = nullptr;
    int64_t length = 0, errorAt = 0;
    const int8_t result = ELKText_Encode(t.utf8, t.length, encoding, t.lineEnd, &out, &length, &errorAt);
    check(result == ELK_OK || (result == ELK_ERROR && out == nullptr && errorAt >= 0 && errorAt < t.length));
    std::string s(out ? out : "", size_t(length));
    ELK_Free(out);
    return s;
}

void decodeAndEncode(const char* bytes, int64_t size)
{
    ELKText_t t;
    check(ELKText_Decode(&t, bytes, size) == ELK_OK);
    // Decoded text is UTF-8, so UTF-8 can always write it.
    std::string utf8 = encoded(t, ELK_TEXT_UTF8);
    check(withLf(utf8.data(), int64_t(utf8.size())) == withLf(t.utf8, t.length));
    // Unicode encodings give the same text back; Windows-1252 may not hold it all.
    const int8_t own = t.encoding == ELK_TEXT_CP1252 ? ELK_TEXT_UTF8 : t.encoding;
    const std::string again = encoded(t, own);
    ELKText_t back;
    check(ELKText_Decode(&back, again.data(), int64_t(again.size())) == ELK_OK);
    check(withLf(back.utf8, back.length) == withLf(t.utf8, t.length));
    check(t.encoding == ELK_TEXT_CP1252 || back.encoding == t.encoding);
    ELKText_Destroy(&back);
    encoded(t, ELK_TEXT_CP1252);
    ELKText_Destroy(&t);
}

// Pieces of 1 to 16 bytes, the sizes taken from the input itself.
void splitInPieces(const char* bytes, int64_t size)
{
    ELKLines_t s;
    ELKLines_Init(&s);
    ELKLine_t line;
    std::string joined;
    int64_t number = 0;
    auto take = [&](const ELKLine_t& l) {
        check(l.number == ++number && l.tooLong == ELK_FALSE);
        check(l.offset >= 0 && l.offset + l.length <= size);
        check(std::memcmp(bytes + l.offset, l.text, size_t(l.length)) == 0);
        joined.append(l.text, size_t(l.length)) += '\n';
    };
    for (int64_t at = 0; at < size;) {
        const int64_t n = std::min<int64_t>(size - at, 1 + (uint8_t(bytes[at]) & 15));
        std::unique_ptr<char[]> piece(new char[size_t(n)]);
        std::memcpy(piece.get(), bytes + at, size_t(n));
        ELKLines_Feed(&s, piece.get(), n);
        int8_t result;
        while ((result = ELKLines_Next(&s, &line)) == ELK_TRUE) take(line);
        check(result == ELK_FALSE);
        at += n;
    }
    if (ELKLines_Finish(&s, &line) == ELK_TRUE) take(line);
    ELKLines_Destroy(&s);
    std::string expected = withLf(bytes, size);
    if (!expected.empty() && expected.back() != '\n') expected += '\n';
    check(joined == expected);
}

// A stream decoded in pieces of 1 to 8 bytes gives what decoding the whole gives.
void decodeAsStream(const char* bytes, int64_t size)
{
    ELKTextStream_t s;
    ELKTextStream_Init(&s);
    std::string got;
    const char* utf8;
    int64_t length;
    for (int64_t at = 0; at < size;) {
        const int64_t n = std::min<int64_t>(size - at, 1 + (uint8_t(bytes[at]) & 7));
        check(ELKTextStream_Decode(&s, bytes + at, n, ELK_FALSE, &utf8, &length) == ELK_OK);
        got.append(utf8, size_t(length));
        at += n;
    }
    check(ELKTextStream_Decode(&s, nullptr, 0, ELK_TRUE, &utf8, &length) == ELK_OK);
    got.append(utf8, size_t(length));
    ELKText_t t;
    check(ELKText_Decode(&t, bytes, size) == ELK_OK);
    if (t.encoding == ELK_TEXT_CP1252 || t.encoding == ELK_TEXT_UTF8_BOM)
        check(got == std::string(bytes + (t.encoding == ELK_TEXT_UTF8_BOM ? 3 : 0), bytes + size));
    else
        check(got == std::string(t.utf8, size_t(t.length)));
    // A line decoded alone is UTF-8 whatever it held.
    check(ELKTextStream_Line(&s, got.data(), int64_t(got.size()), &utf8, &length) == ELK_OK);
    ELKText_t line;
    check(ELKText_Decode(&line, utf8, length) == ELK_OK);
    check(line.encoding != ELK_TEXT_CP1252 && line.length <= length);
    ELKText_Destroy(&line);
    ELKText_Destroy(&t);
    ELKTextStream_Destroy(&s);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> copy(new char[size ? size : 1]);
    std::memcpy(copy.get(), data, size);
    decodeAndEncode(copy.get(), int64_t(size));
    splitInPieces(copy.get(), int64_t(size));
    decodeAsStream(copy.get(), int64_t(size));
    return 0;
}
