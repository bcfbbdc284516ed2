// SPDX-License-Identifier: MIT
// Everything a list holds but where its pool keeps the text, one line per
// record: what the tests compare between a list read again after an edit and
// a whole reading of the edited text. Plain C++, for the fuzz targets too.
#ifndef LIST_DESCRIPTION_H
#define LIST_DESCRIPTION_H

#include <algorithm>
#include <string>

#include "ELKList.h"

inline std::string describeList(const ELKList_t& l)
{
    const auto pool
        = [&l](int64_t at, int32_t length) { return std::string(l.text + at, size_t(std::max(length, 0))); };
    const auto numbers = [](std::initializer_list<int64_t> values) {
        std::string s;
        for (int64_t v : values) s += std::to_string(v) + ' ';
        return s;
    };
    std::string s
        = numbers({ l.sum, l.hasUnique, l.unique, l.hasLength, l.length, l.lines, l.edl, l.leftOut }) + '\n';
    for (int64_t i = 0; i < l.entryCount; ++i) {
        const ELKListEntry_t& e = l.entries[i];
        s += numbers({ e.input, e.line, e.hasInOut, e.in, e.out, e.duration, e.running })
            + pool(e.label, e.labelLength) + '/' + pool(e.track, e.trackLength) + '\n';
    }
    for (int64_t i = 0; i < l.errorCount; ++i) {
        const ELKListError_t& e = l.errors[i];
        s += numbers({ e.input, e.line, e.column, e.fault, int64_t(e.value[0]), int64_t(e.value[1]),
                 int64_t(e.value[2]), int64_t(e.value[3]) })
            + pool(e.text, e.textLength) + '|' + pool(e.detail, e.detailLength) + '\n';
    }
    for (int32_t i = 0; i < l.trackCount; ++i)
        s += numbers({ l.tracks[i].sum, l.tracks[i].unique }) + pool(l.tracks[i].name, l.tracks[i].nameLength)
            + '\n';
    for (int32_t i = 0; i < l.inputs; ++i) {
        const ELKListInput_t& in = l.inputList[i];
        s += numbers({ in.format, in.hasRate, in.rate.num, in.rate.den, in.rate.dropFrame, in.entries,
                 in.errors, in.leftOut, in.total, in.hasUnique, in.unique, in.hasLength, in.length,
                 in.hasOwnLength, in.ownLength, in.lines, in.hasName })
            + (in.hasName == ELK_TRUE ? pool(in.name, in.nameLength) : std::string()) + '\n';
    }
    return s;
}

#endif
