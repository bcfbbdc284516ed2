// SPDX-License-Identifier: MIT
#include "ELKInput.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ELKAle.h"
#include "ELKChars.h"
#include "ELKFcpxml.h"
#include "ELKNotTimeline.h"
#include "ELKOtio.h"
#include "ELKXmeml.h"

namespace
{

constexpr size_t kPiece = size_t(1) << 16;

// Whatever the encoding, no byte grows past three in UTF-8, so a NUL this
// early lies in the first 8 KiB of decoded text, which the decoder would
// refuse as not text; the rest of it (all of /dev/zero) need not be read.
bool surelyNotText(const char* data, size_t size)
{
    const size_t early = std::min(size, size_t(8192 / 3));
    const bool utf16
        = size >= 2 && ((data[0] == '\xFF' && data[1] == '\xFE') || (data[0] == '\xFE' && data[1] == '\xFF'));
    return !utf16 && std::memchr(data, 0, early) != nullptr;
}

struct Bytes {
    char* data = nullptr;
    size_t size = 0;
    size_t capacity = 0;
    ~Bytes() { std::free(data); }

    bool grow(size_t to)
    {
        if (to <= capacity) return true;
        char* p = static_cast<char*>(std::realloc(data, to));
        if (!p) return false;
        data = p;
        capacity = to;
        return true;
    }
};

// A file is read at its size plus a byte to see its end; a pipe grows as it comes.
int8_t readAll(int fd, Bytes* b, int32_t* error)
{
    struct stat st {
    };
    const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (regular && st.st_size > ELK_INPUT_MAX) return ELK_FAULT_TOO_LARGE;
    *error = ENOMEM;
    if (!b->grow(regular ? size_t(st.st_size) + 1 : kPiece)) return ELK_FAULT_CANNOT_OPEN;
    bool looked = false;
    for (;;) {
        if (b->size == b->capacity && !b->grow(std::min(2 * b->capacity, size_t(ELK_INPUT_MAX) + 1)))
            return ELK_FAULT_CANNOT_OPEN;
        const ssize_t n = ::read(fd, b->data + b->size, b->capacity - b->size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = errno;
            return ELK_FAULT_CANNOT_OPEN;
        }
        b->size += size_t(n);
        if (b->size > size_t(ELK_INPUT_MAX)) return ELK_FAULT_TOO_LARGE;
        if (!looked && (n == 0 || b->size >= 8192)) {
            looked = true;
            if (surelyNotText(b->data, b->size)) return ELK_FAULT_NOT_TEXT;
        }
        if (n == 0) return ELK_FAULT_NONE;
    }
}

// The file to read for path: a bundle's Info.fcpxml, or path itself.
int8_t resolve(const char* path, std::string* file)
{
    *file = path;
    struct stat st {
    };
    if (stat(path, &st) != 0 || !S_ISDIR(st.st_mode)) return ELK_FAULT_NONE;
    *file += "/Info.fcpxml";
    return stat(file->c_str(), &st) == 0 && S_ISREG(st.st_mode) ? int8_t(ELK_FAULT_NONE)
                                                                : int8_t(ELK_FAULT_FOLDER);
}

int8_t loadFile(const char* path, Bytes* b, int32_t* error)
{
    std::string file;
    if (const int8_t fault = resolve(path, &file)) return fault;
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = errno;
        return ELK_FAULT_CANNOT_OPEN;
    }
    const int8_t fault = readAll(fd, b, error);
    close(fd);
    return fault;
}

// Past blanks and, in XML, declarations, comments and a document type.
const char* skipProlog(const char* p, const char* end)
{
    for (;;) {
        while (p < end && ELKChar_IsBlankOrLineEnd(*p)) ++p;
        if (end - p < 2 || p[0] != '<' || (p[1] != '?' && p[1] != '!')) return p;
        const bool comment = end - p >= 4 && std::memcmp(p, "<!--", 4) == 0;
        const char* close = comment ? "-->" : ">";
        const char* q = p + 2;
        int32_t brackets = 0; // a document type may hold an internal subset in [...]
        for (; q < end; ++q) {
            if (!comment && *q == '[') ++brackets;
            if (!comment && *q == ']') --brackets;
            if (brackets <= 0 && end - q >= int64_t(std::strlen(close))
                && std::memcmp(q, close, std::strlen(close)) == 0)
                break;
        }
        if (q >= end) return end;
        p = q + std::strlen(close);
    }
}

bool rootIs(const char* p, const char* end, const char* name)
{
    const size_t n = std::strlen(name);
    if (size_t(end - p) < n + 2 || *p != '<' || std::memcmp(p + 1, name, n) != 0) return false;
    const char c = p[n + 1];
    return ELKChar_IsBlankOrLineEnd(c) || c == '>' || c == '/';
}

bool memContains(const char* p, const char* end, const char* word)
{
    const size_t n = std::strlen(word);
    for (; size_t(end - p) >= n; ++p) {
        p = static_cast<const char*>(std::memchr(p, word[0], size_t(end - p) - n + 1));
        if (!p) return false;
        if (std::memcmp(p, word, n) == 0) return true;
    }
    return false;
}

// Where the content starts: after a UTF-8 mark, and for XML after its prolog.
struct Start {
    const char* text;
    const char* root;
    const char* end;
};

// One row per format, tried in order: a new format is a file of its own and
// a row here. Text that is no other format is a plain list; XML and JSON
// that are no timeline are refused, never read as one.
struct Format {
    ELKListFormat_t format;
    bool (*detect)(const ELKList_t* list, const Start& s);
    int8_t (*read)(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy);
};

// The library's own text formats, read line by line.
template <ELKListFormat_t format>
int8_t lines(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy)
{
    return ELKList_ReadLines(list, format, text, length, policy);
}

template <ELKListFormat_t format> bool subtitles(const ELKList_t*, const Start& s)
{
    return ELKList_IsSubtitles(format, s.text, s.end - s.text) == ELK_TRUE;
}

const Format kFormats[] = {
    { ELK_FORMAT_FCPXML, [](const ELKList_t*, const Start& s) { return rootIs(s.root, s.end, "fcpxml"); },
        ELKFcpxml_Read },
    { ELK_FORMAT_XMEML, [](const ELKList_t*, const Start& s) { return rootIs(s.root, s.end, "xmeml"); },
        ELKXmeml_Read },
    { ELK_FORMAT_OTIO,
        [](const ELKList_t*, const Start& s) {
            return s.root < s.end && *s.root == '{' && memContains(s.root, s.end, "\"OTIO_SCHEMA\"");
        },
        ELKOtio_Read },
    { ELK_FORMAT_ALE,
        [](const ELKList_t*, const Start& s) { return ELKAle_Detect(s.text, s.end - s.text) == ELK_TRUE; },
        ELKAle_Read },
    { ELK_FORMAT_NONE,
        [](const ELKList_t*, const Start& s) { return ELKNotTimeline_IsXml(s.text, s.root, s.end); },
        ELKNotTimeline_ReadXml },
    { ELK_FORMAT_NONE,
        [](const ELKList_t*, const Start& s) { return ELKNotTimeline_IsJsonObject(s.root, s.end); },
        ELKNotTimeline_ReadJson },
    { ELK_FORMAT_SRT, subtitles<ELK_FORMAT_SRT>, lines<ELK_FORMAT_SRT> },
    { ELK_FORMAT_VTT, subtitles<ELK_FORMAT_VTT>, lines<ELK_FORMAT_VTT> },
    { ELK_FORMAT_EDL,
        [](const ELKList_t* list, const Start& s) {
            return ELKList_IsEdl(list, s.text, s.end - s.text) == ELK_TRUE;
        },
        lines<ELK_FORMAT_EDL> },
    { ELK_FORMAT_LIST, [](const ELKList_t*, const Start&) { return true; }, lines<ELK_FORMAT_LIST> },
};
static_assert(
    std::size(kFormats) == ELK_FORMAT_COUNT - 1 + 2, "a row for every format, and the two refusals");

const Format& formatOf(const ELKList_t* list, const char* text, int64_t length)
{
    Start s { text, nullptr, text + length };
    if (length >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) s.text += 3;
    s.root = skipProlog(s.text, s.end);
    const Format* f = kFormats;
    while (!f->detect(list, s)) ++f;
    return *f;
}

// An input that could not be read at all: one error about the whole of it.
int8_t refuse(ELKList_t* list, int8_t fault, int32_t error)
{
    const uint64_t value[4] = { uint64_t(error), 0, 0, 0 };
    return ELKList_Refuse(list, ELK_FORMAT_NONE, 0, 0, ELKListFault_t(fault), nullptr, 0, value);
}

int8_t readLoaded(
    ELKList_t* list, int8_t fault, int32_t error, const Bytes& b, const ELKReadOptions_t* options)
{
    if (!list) return ELK_ERROR;
    return fault ? refuse(list, fault, error) : ELKInput_ReadBytes(list, b.data, int64_t(b.size), options);
}

} // namespace

int8_t ELKInput_ReadBytes(ELKList_t* list, const char* bytes, int64_t length, const ELKReadOptions_t* options)
{
    ELKText_t text;
    if (!list || length < 0 || (!bytes && length)) return ELK_ERROR;
    if (ELKText_Decode(&text, bytes, length) != ELK_OK) return refuse(list, ELK_FAULT_NO_MEMORY, 0);
    const int8_t result = ELKInput_ReadText(list, &text, options);
    ELKText_Destroy(&text);
    return result;
}

int8_t ELKInput_ReadAgain(ELKList_t* list, int32_t input, int64_t first, int64_t removed, const char* text,
    int64_t length, const char* head, int64_t headLength)
{
    if (!head || headLength < 0) return ELK_ERROR;
    // Every format but the EDL and the plain list is told by the first line
    // that is not blank (SubRip by the next as well, after a cue number):
    // while that line cannot open one of them, only the lines decide.
    const char* end = head + headLength;
    const char* p = head;
    if (end - p >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
    while (p < end && ELKChar_IsBlankOrLineEnd(*p)) ++p;
    const char* lineEnd = p;
    while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r') ++lineEnd;
    bool digits = true;
    for (const char* q = p; q < lineEnd; ++q) digits = digits && (ELKChar_IsDigit(*q) || ELKChar_IsBlank(*q));
    // As the detectors read them: an ALE heading in any case.
    const auto opens = [p, end](const char* word) {
        const size_t n = std::strlen(word);
        return size_t(end - p) >= n && std::equal(p, p + n, word, [](char a, char b) {
            return ELKChar_ToUpper(a) == ELKChar_ToUpper(b);
        });
    };
    if ((p < end && digits) || opens("<") || opens("{") || opens("Heading") || opens("WEBVTT"))
        return ELK_ERROR;
    return ELKList_ReplaceLines(list, input, first, removed, text, length);
}

int8_t ELKInput_ReadText(ELKList_t* list, const ELKText_t* text, const ELKReadOptions_t* options)
{
    if (!list || !text || text->length < 0 || (!text->utf8 && text->length)) return ELK_ERROR;
    if (text->binary == ELK_TRUE) return refuse(list, ELK_FAULT_NOT_TEXT, 0);
    const ELKRatePolicy_t policy = options ? options->rate : ELK_RATE_KEEP;
    const int64_t errors = list->errorCount;
    const int8_t result
        = formatOf(list, text->utf8, text->length).read(list, text->utf8, text->length, policy);
    // In the order of the text, whatever order the reader found them in (xmeml reads video before audio).
    ELKList_SortErrors(list, errors);
    return result;
}

int8_t ELKInput_ReadFile(ELKList_t* list, const char* path, const ELKReadOptions_t* options)
{
    if (!list || !path) return ELK_ERROR;
    Bytes b;
    int32_t error = 0;
    const int8_t fault = loadFile(path, &b, &error);
    return readLoaded(list, fault, error, b, options);
}

int8_t ELKInput_ReadDescriptor(ELKList_t* list, int fd, const ELKReadOptions_t* options)
{
    Bytes b;
    int32_t error = 0;
    const int8_t fault = readAll(fd, &b, &error);
    return readLoaded(list, fault, error, b, options);
}

int8_t ELKInput_Load(const char* path, char** bytes, int64_t* length, int8_t* fault, int32_t* error)
{
    if (!path || !bytes || !length || !fault || !error) return ELK_ERROR;
    Bytes b;
    *error = 0;
    *fault = loadFile(path, &b, error);
    *bytes = nullptr;
    *length = 0;
    if (*fault) return ELK_ERROR;
    *bytes = b.data;
    *length = int64_t(b.size);
    b.data = nullptr;
    return ELK_OK;
}
