// SPDX-License-Identifier: MIT
#include "ELKText.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "ELKString.h"

namespace
{

constexpr uint32_t kReplacement = 0xFFFD;
constexpr int64_t kBinaryWindow = 8192;

// Windows-1252 0x80-0x9F; the five bytes it leaves undefined keep their C1 code points.
const uint16_t kCp1252High[] = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
    0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };
static_assert(std::size(kCp1252High) == 0x20, "one code point per byte 0x80-0x9F");

char* allocate(int64_t size)
{
    if (size < 0 || size >= int64_t(UINT32_MAX)) return nullptr;
    return static_cast<char*>(ELK_Alloc(uint32_t(size + 1)));
}

// The length of the well-formed UTF-8 sequence at s (n bytes left) and its
// code point, or 0: shortest forms only, no surrogates, nothing past U+10FFFF.
int sequence(const uint8_t* s, int64_t n, uint32_t* cp)
{
    if (s[0] < 0x80) {
        *cp = s[0];
        return 1;
    }
    int len = 0;
    uint32_t min = 0, c = 0;
    if (s[0] >= 0xC2 && s[0] < 0xE0)
        len = 2, min = 0x80, c = s[0] & 0x1Fu;
    else if (s[0] >= 0xE0 && s[0] < 0xF0)
        len = 3, min = 0x800, c = s[0] & 0x0Fu;
    else if (s[0] >= 0xF0 && s[0] < 0xF5)
        len = 4, min = 0x10000, c = s[0] & 0x07u;
    if (len == 0 || len > n) return 0;
    for (int i = 1; i < len; ++i) {
        if ((s[i] & 0xC0) != 0x80) return 0;
        c = (c << 6) | (s[i] & 0x3Fu);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return 0;
    *cp = c;
    return len;
}

bool isAscii(const uint8_t* s, int64_t n)
{
    uint8_t any = 0;
    for (int64_t i = 0; i < n; ++i) any |= s[i];
    return any < 0x80;
}

bool isUtf8(const uint8_t* s, int64_t n)
{
    int64_t i = 0;
    while (i < n) {
        // ASCII runs eight bytes at a time.
        uint64_t word;
        if (n - i >= 8 && (std::memcpy(&word, s + i, 8), (word & 0x8080808080808080ull) == 0)) {
            i += 8;
            continue;
        }
        if (s[i] < 0x80) {
            ++i;
            continue;
        }
        uint32_t cp;
        const int len = sequence(s + i, n - i, &cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

// Writes cp as UTF-8 at out (null: only counts); returns the bytes.
int putUtf8(uint32_t cp, char* out)
{
    char b[4];
    int n;
    if (cp < 0x80) {
        b[0] = char(cp);
        n = 1;
    } else if (cp < 0x800) {
        b[0] = char(0xC0 | (cp >> 6));
        b[1] = char(0x80 | (cp & 0x3F));
        n = 2;
    } else if (cp < 0x10000) {
        b[0] = char(0xE0 | (cp >> 12));
        b[1] = char(0x80 | ((cp >> 6) & 0x3F));
        b[2] = char(0x80 | (cp & 0x3F));
        n = 3;
    } else {
        b[0] = char(0xF0 | (cp >> 18));
        b[1] = char(0x80 | ((cp >> 12) & 0x3F));
        b[2] = char(0x80 | ((cp >> 6) & 0x3F));
        b[3] = char(0x80 | (cp & 0x3F));
        n = 4;
    }
    if (out) std::memcpy(out, b, size_t(n));
    return n;
}

uint32_t fromCp1252(uint8_t c)
{
    return c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : c;
}

// Bytes as Windows-1252, or, with keepUtf8, UTF-8 where it is well formed and
// Windows-1252 byte by byte where not. out null: only counts.
int64_t decodeBytes(const uint8_t* s, int64_t n, bool keepUtf8, char* out)
{
    int64_t w = 0;
    for (int64_t i = 0; i < n;) {
        uint32_t cp;
        const int len = s[i] < 0x80 || !keepUtf8 ? 0 : sequence(s + i, n - i, &cp);
        if (len > 1) {
            if (out) std::memcpy(out + w, s + i, size_t(len));
            w += len;
            i += len;
        } else {
            w += putUtf8(fromCp1252(s[i]), out ? out + w : nullptr);
            ++i;
        }
    }
    return w;
}

// Decodes whole UTF-16 units of p (n bytes) into out; *used is the bytes
// taken. Unless `last`, it stops before a cut unit or a high surrogate whose
// pair may come in the next piece; with `last`, those become U+FFFD.
int64_t decodeUtf16(const uint8_t* p, int64_t n, bool bigEndian, bool last, char* out, int64_t* used)
{
    auto unit = [&](int64_t i) {
        return bigEndian ? uint32_t(p[i]) << 8 | p[i + 1] : uint32_t(p[i + 1]) << 8 | p[i];
    };
    int64_t i = 0, w = 0;
    while (i + 2 <= n) {
        uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00) {
            if (i + 4 > n && !last) break;
            const uint32_t low = i + 4 <= n ? unit(i + 2) : 0;
            if (low >= 0xDC00 && low < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                cp = kReplacement;
            }
        } else if (cp >= 0xDC00 && cp < 0xE000) {
            cp = kReplacement;
        }
        i += 2;
        w += putUtf8(cp, out + w);
    }
    if (last && i < n) {
        w += putUtf8(kReplacement, out + w);
        i = n;
    }
    *used = i;
    return w;
}

// The most UTF-8 that n bytes of UTF-16 can make: three bytes a unit, a cut unit included.
int64_t utf16Room(int64_t n)
{
    return (n / 2 + 1) * 3;
}

void describe(ELKText_t* t)
{
    const int64_t window = std::min(t->length, kBinaryWindow);
    t->binary = window > 0 && std::memchr(t->utf8, 0, size_t(window)) ? ELK_TRUE : ELK_FALSE;
    const char* end = t->utf8 + t->length;
    const char* p = t->utf8;
    while (p < end && *p != '\n' && *p != '\r') ++p;
    if (p < end && *p == '\r')
        t->lineEnd = p + 1 < end && p[1] == '\n' ? ELK_LINE_CRLF : ELK_LINE_CR;
    else
        t->lineEnd = ELK_LINE_LF;
}

bool isUtf16Mark(const uint8_t* b, int64_t n)
{
    return n >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF));
}

bool isUtf8Mark(const uint8_t* b, int64_t n)
{
    return n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF;
}

// Writes cp in the encoding at out (null: only counts). 0 when the encoding has no such character.
int putEncoded(int8_t encoding, uint32_t cp, char* out)
{
    char b[4];
    int n = 0;
    if (encoding == ELK_TEXT_UTF16LE || encoding == ELK_TEXT_UTF16BE) {
        uint32_t units[2] = { cp, 0 };
        int count = 1;
        if (cp >= 0x10000) {
            units[0] = 0xD800 + ((cp - 0x10000) >> 10);
            units[1] = 0xDC00 + ((cp - 0x10000) & 0x3FF);
            count = 2;
        }
        for (int i = 0; i < count; ++i) {
            const bool be = encoding == ELK_TEXT_UTF16BE;
            b[n++] = char(be ? units[i] >> 8 : units[i] & 0xFF);
            b[n++] = char(be ? units[i] & 0xFF : units[i] >> 8);
        }
    } else if (encoding == ELK_TEXT_CP1252) {
        if (cp < 0x80 || (cp >= 0xA0 && cp < 0x100)) {
            b[n++] = char(cp);
        } else {
            const uint16_t* at = std::find(std::begin(kCp1252High), std::end(kCp1252High), cp);
            if (at == std::end(kCp1252High)) return 0;
            b[n++] = char(0x80 + (at - kCp1252High));
        }
    } else {
        return putUtf8(cp, out);
    }
    if (out) std::memcpy(out, b, size_t(n));
    return n;
}

// The whole encoded text at out (null: only counts); -1 with *errorAt at a fault.
int64_t encode(const uint8_t* s, int64_t n, int8_t encoding, int8_t lineEnd, char* out, int64_t* errorAt)
{
    int64_t w = 0;
    auto put = [&](uint32_t cp) {
        const int k = putEncoded(encoding, cp, out ? out + w : nullptr);
        w += k;
        return k > 0;
    };
    if (encoding != ELK_TEXT_UTF8 && encoding != ELK_TEXT_CP1252) put(0xFEFF);
    // ASCII is itself in UTF-8 and Windows-1252: a run of it is copied whole.
    const bool asciiKept
        = encoding == ELK_TEXT_UTF8 || encoding == ELK_TEXT_UTF8_BOM || encoding == ELK_TEXT_CP1252;
    for (int64_t i = 0; i < n;) {
        int64_t run = i;
        while (asciiKept && run < n && s[run] < 0x80 && s[run] != '\r' && s[run] != '\n') ++run;
        if (run > i) {
            if (out) std::memcpy(out + w, s + i, size_t(run - i));
            w += run - i;
            i = run;
            continue;
        }
        if (s[i] == '\r' || s[i] == '\n') {
            i += s[i] == '\r' && i + 1 < n && s[i + 1] == '\n' ? 2 : 1;
            if (lineEnd != ELK_LINE_LF) put('\r');
            if (lineEnd != ELK_LINE_CR) put('\n');
            continue;
        }
        uint32_t cp;
        const int len = sequence(s + i, n - i, &cp);
        if (len == 0 || !put(cp)) {
            *errorAt = i;
            return -1;
        }
        i += len;
    }
    return w;
}

} // namespace

int8_t ELKText_Decode(ELKText_t* t, const char* bytes, int64_t length)
{
    *t = ELKText_t { "", 0, nullptr, ELK_TEXT_UTF8, ELK_LINE_LF, ELK_FALSE };
    if (length < 0 || (!bytes && length > 0)) return ELK_ERROR;
    const auto* b = reinterpret_cast<const uint8_t*>(bytes);
    if (isUtf16Mark(b, length)) {
        const bool bigEndian = b[0] == 0xFE;
        char* out = allocate(utf16Room(length - 2));
        if (!out) return ELK_ERROR;
        int64_t used;
        t->length = decodeUtf16(b + 2, length - 2, bigEndian, true, out, &used);
        t->utf8 = t->owned = out;
        t->encoding = bigEndian ? ELK_TEXT_UTF16BE : ELK_TEXT_UTF16LE;
    } else {
        const bool marked = isUtf8Mark(b, length);
        const int64_t skip = marked ? 3 : 0;
        t->encoding = marked ? ELK_TEXT_UTF8_BOM : ELK_TEXT_UTF8;
        if (isUtf8(b + skip, length - skip)) {
            t->utf8 = bytes ? bytes + skip : "";
            t->length = length - skip;
        } else {
            if (!marked) t->encoding = ELK_TEXT_CP1252;
            const int64_t size = decodeBytes(b + skip, length - skip, marked, nullptr);
            char* out = allocate(size);
            if (!out) return ELK_ERROR;
            t->length = decodeBytes(b + skip, length - skip, marked, out);
            t->utf8 = t->owned = out;
        }
    }
    describe(t);
    return ELK_OK;
}

void ELKText_Destroy(ELKText_t* t)
{
    ELK_Free(t->owned);
    *t = ELKText_t { "", 0, nullptr, ELK_TEXT_UTF8, ELK_LINE_LF, ELK_FALSE };
}

int8_t ELKText_Encode(const char* utf8, int64_t length, int8_t encoding, int8_t lineEnd, char** out,
    int64_t* outLength, int64_t* errorAt)
{
    int64_t scratch;
    if (!errorAt) errorAt = &scratch;
    *out = nullptr;
    *outLength = 0;
    *errorAt = -1;
    if (length < 0 || (!utf8 && length > 0) || encoding < ELK_TEXT_UTF8 || encoding > ELK_TEXT_CP1252
        || lineEnd < ELK_LINE_LF || lineEnd > ELK_LINE_CR)
        return ELK_ERROR;
    const auto* s = reinterpret_cast<const uint8_t*>(utf8);
    const int64_t size = encode(s, length, encoding, lineEnd, nullptr, errorAt);
    if (size < 0) return ELK_ERROR;
    char* text = allocate(size);
    if (!text) return ELK_ERROR;
    encode(s, length, encoding, lineEnd, text, errorAt);
    *out = text;
    *outLength = size;
    return ELK_OK;
}

void ELKTextStream_Init(ELKTextStream_t* s)
{
    *s = ELKTextStream_t {};
    s->encoding = ELK_TEXT_UTF8;
    s->started = ELK_FALSE;
    s->ascii = ELK_TRUE;
}

void ELKTextStream_Destroy(ELKTextStream_t* s)
{
    ELK_Free(s->out);
    ELK_Free(s->line);
    ELKTextStream_Init(s);
}

int8_t ELKTextStream_Decode(ELKTextStream_t* s, const char* bytes, int64_t length, int8_t last,
    const char** utf8, int64_t* utf8Length)
{
    *utf8 = "";
    *utf8Length = 0;
    if (length < 0 || (!bytes && length > 0)) return ELK_ERROR;
    const auto* b = reinterpret_cast<const uint8_t*>(bytes);
    const bool final = last == ELK_TRUE;
    int64_t i = 0;
    // The first bytes wait until they are known to be a mark or not: a pipe may cut one.
    if (s->started != ELK_TRUE) {
        while (s->heldLength < 3 && i < length) s->held[s->heldLength++] = b[i++];
        const uint8_t* h = s->held;
        const int32_t n = s->heldLength;
        const bool utf16Prefix = n == 1 && (h[0] == 0xFF || h[0] == 0xFE);
        const bool utf8Prefix = n < 3 && n > 0 && h[0] == 0xEF && (n == 1 || h[1] == 0xBB);
        if ((utf16Prefix || utf8Prefix) && !final) return ELK_OK;
        if (n == 0 && !final) return ELK_OK;
        s->started = ELK_TRUE;
        if (isUtf16Mark(h, n)) {
            s->encoding = h[0] == 0xFE ? ELK_TEXT_UTF16BE : ELK_TEXT_UTF16LE;
            s->held[0] = s->held[2];
            s->heldLength -= 2;
        } else if (isUtf8Mark(h, n)) {
            s->encoding = ELK_TEXT_UTF8_BOM;
            s->heldLength = 0;
        }
    }
    const bool utf16 = s->encoding == ELK_TEXT_UTF16LE || s->encoding == ELK_TEXT_UTF16BE;
    if (!utf16 && s->ascii == ELK_TRUE) {
        if (!isAscii(s->held, s->heldLength) || !isAscii(b + i, length - i)) s->ascii = ELK_FALSE;
    }
    if (!utf16 && s->heldLength == 0) {
        *utf8 = bytes ? bytes + i : "";
        *utf8Length = length - i;
        return ELK_OK;
    }
    const int64_t room = utf16 ? utf16Room(s->heldLength + length - i) + 3 : s->heldLength + length - i;
    if (room > s->outCapacity) {
        char* out = allocate(room);
        if (!out) return ELK_ERROR;
        ELK_Free(s->out);
        s->out = out;
        s->outCapacity = room;
    }
    int64_t w = 0;
    if (!utf16) {
        // Bytes held while looking for a mark that was not there.
        std::memcpy(s->out, s->held, size_t(s->heldLength));
        if (length > i) std::memcpy(s->out + s->heldLength, b + i, size_t(length - i));
        w = s->heldLength + length - i;
        s->heldLength = 0;
    } else {
        const bool bigEndian = s->encoding == ELK_TEXT_UTF16BE;
        int64_t used;
        // Completes a unit or pair cut between pieces, a byte at a time.
        while (s->heldLength > 0 && i < length) {
            s->held[s->heldLength++] = b[i++];
            w += decodeUtf16(s->held, s->heldLength, bigEndian, false, s->out + w, &used);
            s->heldLength -= int32_t(used);
            std::memmove(s->held, s->held + used, size_t(s->heldLength));
        }
        if (s->heldLength == 0 && i < length) {
            w += decodeUtf16(b + i, length - i, bigEndian, false, s->out + w, &used);
            s->heldLength = int32_t(length - i - used);
            std::memcpy(s->held, b + i + used, size_t(s->heldLength));
        }
        if (final) {
            w += decodeUtf16(s->held, s->heldLength, bigEndian, true, s->out + w, &used);
            s->heldLength = 0;
        }
    }
    *utf8 = s->out;
    *utf8Length = w;
    return ELK_OK;
}

int8_t ELKTextStream_Line(
    ELKTextStream_t* s, const char* line, int64_t length, const char** utf8, int64_t* utf8Length)
{
    *utf8 = "";
    *utf8Length = 0;
    if (length < 0 || (!line && length > 0)) return ELK_ERROR;
    const auto* b = reinterpret_cast<const uint8_t*>(line);
    if (s->ascii == ELK_TRUE || s->encoding == ELK_TEXT_UTF16LE || s->encoding == ELK_TEXT_UTF16BE
        || isUtf8(b, length)) {
        *utf8 = line ? line : "";
        *utf8Length = length;
        return ELK_OK;
    }
    const int64_t size = decodeBytes(b, length, false, nullptr);
    if (size > s->lineCapacity) {
        char* out = allocate(size);
        if (!out) return ELK_ERROR;
        ELK_Free(s->line);
        s->line = out;
        s->lineCapacity = size;
    }
    *utf8Length = decodeBytes(b, length, false, s->line);
    *utf8 = s->line;
    return ELK_OK;
}

void ELKLines_Init(ELKLines_t* s)
{
    *s = ELKLines_t {};
    s->afterCr = s->skipping = s->released = ELK_FALSE;
}

void ELKLines_Destroy(ELKLines_t* s)
{
    ELK_Free(s->held);
    ELKLines_Init(s);
}

void ELKLines_Feed(ELKLines_t* s, const char* bytes, int64_t length)
{
    s->pieceOffset += s->pieceLength;
    s->piece = bytes;
    s->pieceLength = bytes && length > 0 ? length : 0;
    s->at = 0;
    s->nextCr = s->nextLf = nullptr;
}

namespace
{

const char* find(const char* p, const char* end, char c)
{
    const void* at = std::memchr(p, c, size_t(end - p));
    return at ? static_cast<const char*>(at) : end;
}

// The next CR or LF at or after p, or the piece's end. Each is looked for
// with memchr and remembered, so that LF text never looks for a CR twice.
const char* nextLineEnd(ELKLines_t* s, const char* p, const char* end)
{
    if (!s->nextCr || s->nextCr < p) s->nextCr = find(p, end, '\r');
    if (!s->nextLf || s->nextLf < p) s->nextLf = find(p, end, '\n');
    return std::min(s->nextCr, s->nextLf);
}

int8_t give(ELKLines_t* s, ELKLine_t* line, const char* text, int64_t length, int64_t offset, bool tooLong)
{
    line->text = text;
    line->length = std::min(length, ELK_LINE_MAX);
    line->number = ++s->number;
    line->offset = offset;
    line->tooLong = tooLong || length > ELK_LINE_MAX ? ELK_TRUE : ELK_FALSE;
    return ELK_TRUE;
}

bool hold(ELKLines_t* s, const char* p, int64_t n)
{
    if (s->heldLength + n > s->heldCapacity) {
        const int64_t capacity
            = std::min(std::max({ s->heldLength + n, 2 * s->heldCapacity, int64_t(256) }), ELK_LINE_MAX);
        char* held = allocate(capacity);
        if (!held) return false;
        if (s->heldLength > 0) std::memcpy(held, s->held, size_t(s->heldLength));
        ELK_Free(s->held);
        s->held = held;
        s->heldCapacity = capacity;
    }
    if (n > 0) std::memcpy(s->held + s->heldLength, p, size_t(n));
    s->heldLength += n;
    return true;
}

} // namespace

int8_t ELKLines_Next(ELKLines_t* s, ELKLine_t* line)
{
    if (s->released == ELK_TRUE) {
        s->heldLength = 0;
        s->released = ELK_FALSE;
    }
    const char* end = s->piece + s->pieceLength;
    for (;;) {
        const char* p = s->piece + s->at;
        if (p == end) return ELK_FALSE;
        if (s->afterCr == ELK_TRUE) {
            s->afterCr = ELK_FALSE;
            if (*p == '\n') {
                ++s->at;
                continue;
            }
        }
        const char* q = nextLineEnd(s, p, end);
        const bool ended = q < end;
        s->at = q - s->piece;
        if (ended) {
            ++s->at;
            if (*q == '\r' && q + 1 < end && q[1] == '\n') ++s->at;
            if (*q == '\r' && q + 1 == end) s->afterCr = ELK_TRUE;
        }
        if (s->skipping == ELK_TRUE) {
            if (ended) s->skipping = ELK_FALSE;
            continue;
        }
        const int64_t n = q - p;
        const int64_t offset = s->pieceOffset + (p - s->piece);
        if (s->heldLength == 0 && (ended || n > ELK_LINE_MAX)) {
            s->skipping = !ended ? ELK_TRUE : ELK_FALSE;
            return give(s, line, p, n, offset, !ended);
        }
        if (s->heldLength == 0) s->heldOffset = offset;
        const bool tooLong = s->heldLength + n > ELK_LINE_MAX;
        if (!hold(s, p, std::min(n, ELK_LINE_MAX - s->heldLength))) return ELK_ERROR;
        if (tooLong || ended) {
            s->released = ELK_TRUE;
            s->skipping = tooLong && !ended ? ELK_TRUE : ELK_FALSE;
            return give(s, line, s->held, s->heldLength, s->heldOffset, tooLong);
        }
    }
}

int8_t ELKLines_Finish(ELKLines_t* s, ELKLine_t* line)
{
    if (s->released == ELK_TRUE) {
        s->heldLength = 0;
        s->released = ELK_FALSE;
    }
    if (s->skipping == ELK_TRUE || s->heldLength == 0) {
        s->skipping = ELK_FALSE;
        return ELK_FALSE;
    }
    s->released = ELK_TRUE;
    return give(s, line, s->held, s->heldLength, s->heldOffset, false);
}

int32_t ELKText_Sequence(const char* text, int64_t n, uint32_t* cp)
{
    return n > 0 ? sequence(reinterpret_cast<const uint8_t*>(text), n, cp) : 0;
}
