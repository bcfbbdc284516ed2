// SPDX-License-Identifier: MIT
// Text from files and pipes: decoding to UTF-8 from the encodings lists and
// marker exports arrive in, writing back in the encoding found, and one
// splitter of lines for every reader.
#ifndef ELKTEXT_H
#define ELKTEXT_H

#include <cstdint>

#include "ELKBase.h"

enum ELKTextEncoding_t : int8_t {
    ELK_TEXT_UTF8 = 0,
    ELK_TEXT_UTF8_BOM,
    ELK_TEXT_UTF16LE,
    ELK_TEXT_UTF16BE,
    ELK_TEXT_CP1252
};
enum ELKLineEnd_t : int8_t { ELK_LINE_LF = 0, ELK_LINE_CRLF, ELK_LINE_CR };

// The longest line a reader takes, in bytes, its line end not counted.
constexpr int64_t ELK_LINE_MAX = 1048576;

// Text decoded to UTF-8 without a byte-order mark.
struct ELKText_t {
    const char* utf8; // the input itself when it already was UTF-8, else `owned`
    int64_t length;
    char* owned; // freed by ELKText_Destroy
    int8_t encoding; // ELKTextEncoding_t as found: a UTF-16 BOM first, then a UTF-8 BOM, valid UTF-8, else
                     // Windows-1252
    int8_t lineEnd; // ELKLineEnd_t of the first line end (LF when none), so a save can keep it
    int8_t binary; // ELK_TRUE when a NUL (U+0000) lies in the first 8 KiB of decoded text
};

// Decodes a whole input. UTF-16 takes an unpaired surrogate or a last odd
// byte as U+FFFD; after a UTF-8 mark, a byte that is not UTF-8 is read as
// Windows-1252 alone. Line ends are kept as they are. ELK_ERROR, with t
// empty, only when memory runs short (or for null bytes with a length, or a
// negative length).
int8_t ELKText_Decode(ELKText_t* t, const char* bytes, int64_t length);

// Frees what the text owns and leaves it empty.
void ELKText_Destroy(ELKText_t* t);

// Writes UTF-8 text back in an encoding and line end, into *out (ELK_Alloc'ed,
// caller frees with ELK_Free), with a byte-order mark for UTF8_BOM and UTF-16.
// Every LF, CRLF or CR in the text becomes `lineEnd`. ELK_ERROR, *errorAt =
// byte offset, when the text is not UTF-8 or a character cannot be written in
// that encoding; also when memory runs short (*errorAt = -1).
int8_t ELKText_Encode(const char* utf8, int64_t length, int8_t encoding, int8_t lineEnd, char** out,
    int64_t* outLength, int64_t* errorAt);

// Text from a pipe, decoded as it comes. The first bytes decide: after a
// UTF-16 mark every piece is UTF-16; otherwise the bytes pass as they are (a
// UTF-8 mark dropped), and since a stream cannot be checked whole, each line
// is then decoded alone by ELKTextStream_Line.
struct ELKTextStream_t {
    int8_t encoding; // ELK_TEXT_UTF8 until a mark says otherwise
    int8_t started; // ELK_TRUE once the first bytes have decided
    int8_t ascii; // ELK_TRUE while every byte so far was ASCII, so lines need no check
    uint8_t held[4]; // the start of a mark or of a UTF-16 unit cut between pieces
    int32_t heldLength;
    char* out;
    int64_t outCapacity;
    char* line; // a line read as Windows-1252
    int64_t lineCapacity;
};

void ELKTextStream_Init(ELKTextStream_t* s);
void ELKTextStream_Destroy(ELKTextStream_t* s);

// Decodes the next piece; `last` ELK_TRUE with the final one (which may be
// empty) gives out whatever is held. *utf8 and *utf8Length: the text ready,
// valid until the next call. ELK_ERROR when memory runs short.
int8_t ELKTextStream_Decode(ELKTextStream_t* s, const char* bytes, int64_t length, int8_t last,
    const char** utf8, int64_t* utf8Length);

// One line of the stream's decoded text as UTF-8: the line itself after a
// UTF-16 mark or when it is UTF-8, else read as Windows-1252. *utf8 is valid
// until the next call. ELK_ERROR when memory runs short.
int8_t ELKTextStream_Line(
    ELKTextStream_t* s, const char* line, int64_t length, const char** utf8, int64_t* utf8Length);

// One line of text, without its line end.
struct ELKLine_t {
    const char* text; // valid until the splitter's next call
    int64_t length;
    int64_t number; // from 1
    int64_t offset; // of its first byte, from the start of all the text given
    int8_t tooLong; // ELK_TRUE: over ELK_LINE_MAX bytes; text holds the first ELK_LINE_MAX
};

// Splits text arriving in pieces at LF, CR and CRLF, in any mix; a CR ending
// one piece and an LF starting the next make one line end. Lines that lie in
// one piece are given in place; only a line cut between pieces is copied,
// and never more than ELK_LINE_MAX bytes of it. A line over ELK_LINE_MAX is
// given once, as soon as it is known to be too long, and the rest of it up to
// its line end is skipped.
struct ELKLines_t {
    const char* piece; // private from here on
    int64_t pieceLength;
    int64_t at;
    int64_t pieceOffset;
    const char* nextCr; // line ends found ahead in the piece, so no byte is looked at twice
    const char* nextLf;
    char* held; // a line begun in earlier pieces
    int64_t heldLength;
    int64_t heldCapacity;
    int64_t heldOffset;
    int64_t number;
    int8_t afterCr; // the last piece ended in CR
    int8_t skipping; // inside a line already given as too long
    int8_t released; // held was given by the last call: empty it on the next
};

void ELKLines_Init(ELKLines_t* s);
void ELKLines_Destroy(ELKLines_t* s);

// Hands the splitter the next piece. It is read in place: keep it unchanged
// until ELKLines_Next has returned ELK_FALSE.
void ELKLines_Feed(ELKLines_t* s, const char* bytes, int64_t length);

// The next whole line of the piece: ELK_TRUE with *line set, ELK_FALSE when
// the piece is used up (an unfinished last line is kept for the next piece),
// ELK_ERROR when memory runs short to keep it.
int8_t ELKLines_Next(ELKLines_t* s, ELKLine_t* line);

// After the last piece: ELK_TRUE with the last line when the text did not
// end in a line end, else ELK_FALSE.
int8_t ELKLines_Finish(ELKLines_t* s, ELKLine_t* line);

// The length of the well-formed UTF-8 sequence at text (n bytes left) and
// its code point, or 0: shortest forms only, no surrogates, nothing past
// U+10FFFF.
int32_t ELKText_Sequence(const char* text, int64_t n, uint32_t* cp);

#endif
