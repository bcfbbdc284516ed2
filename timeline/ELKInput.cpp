// SPDX-License-Identifier: MIT
#include "ELKInput.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ELKTimeline.h"

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

// An input that could not be read at all: one error about the whole of it.
int8_t refuse(ELKList_t* list, int8_t fault, int32_t error)
{
    if (ELKList_BeginInput(list, ELK_FORMAT_NONE) != ELK_OK) return ELK_ERROR;
    const uint64_t value[4] = { uint64_t(error), 0, 0, 0 };
    ELKList_AddError(list, 0, 0, fault, nullptr, 0, value);
    ELKList_EndInput(list);
    return ELK_ERROR;
}

int8_t readLoaded(
    ELKList_t* list, int8_t fault, int32_t error, const Bytes& b, const ELKReadOptions_t* options)
{
    if (!list) return ELK_ERROR;
    return fault ? refuse(list, fault, error) : ELKInput_ReadBytes(list, b.data, int64_t(b.size), options);
}

// Reads one input under the rate policy; its errors end in the order of its text.
template <typename Read> int8_t readWith(ELKList_t* list, const ELKReadOptions_t* options, Read read)
{
    if (!list) return ELK_ERROR;
    list->takesOwnRate = options && options->rate == ELK_RATE_OWN ? ELK_TRUE : ELK_FALSE;
    const int64_t errors = list->errorCount;
    const int8_t result = read();
    ELKList_SortErrors(list, errors);
    list->takesOwnRate = ELK_FALSE;
    return result;
}

} // namespace

int8_t ELKInput_ReadBytes(ELKList_t* list, const char* bytes, int64_t length, const ELKReadOptions_t* options)
{
    return readWith(list, options, [&] { return ELKTimeline_Read(list, bytes, length); });
}

int8_t ELKInput_ReadText(ELKList_t* list, const ELKText_t* text, const ELKReadOptions_t* options)
{
    if (!text) return ELK_ERROR;
    return readWith(list, options, [&] { return ELKTimeline_ReadText(list, text); });
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
