// SPDX-License-Identifier: MIT
#include "ELKBase.h"

#include <cstdlib>
#include <cstring>

int8_t ELK_ArenaMode = ELK_FALSE;
char* ELK_ArenaNext = nullptr;
uint32_t ELK_ArenaRemaining = 0;
std::atomic<uint32_t> ELK_BytesRequested { 0 };

void ELK_MemTrack(int32_t) { }

void* ELK_Alloc(uint32_t size)
{
    ELK_BytesRequested.fetch_add(size, std::memory_order_relaxed);
    if (ELK_ArenaMode != ELK_TRUE) return std::malloc(size);
    if (ELK_ArenaRemaining < size) return nullptr;
    char* p = ELK_ArenaNext;
    ELK_ArenaNext += size;
    ELK_ArenaRemaining -= size;
    return p;
}

void ELK_Free(void* p)
{
    if (ELK_ArenaMode != ELK_TRUE) std::free(p);
}

void* ELK_MemCopy(void* dst, const void* src, uint32_t count)
{
    return count ? std::memcpy(dst, src, count) : dst;
}

void* ELK_MemSet(void* dst, int fill, uint32_t count)
{
    return count ? std::memset(dst, fill, count) : dst;
}

void ELK_UseArena(void* memory, uint32_t size)
{
    ELK_ArenaMode = ELK_TRUE;
    ELK_ArenaNext = static_cast<char*>(memory);
    ELK_ArenaRemaining = memory ? size : 0;
}

void ELK_UseHeap()
{
    ELK_ArenaMode = ELK_FALSE;
    ELK_ArenaNext = nullptr;
    ELK_ArenaRemaining = 0;
}
