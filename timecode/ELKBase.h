// SPDX-License-Identifier: MIT
// What every part of the library shares: its booleans and result codes, and
// the memory layer that all of its allocations go through.
#ifndef ELKBASE_H
#define ELKBASE_H

#include <atomic>
#include <cstdint>

// Library booleans and results. A boolean is true only when it equals
// ELK_TRUE exactly; 0 and 1 are false.
constexpr int8_t ELK_TRUE = 3;
constexpr int8_t ELK_FALSE = -3;
constexpr int8_t ELK_OK = 2;
constexpr int8_t ELK_ERROR = -2;

// Memory layer state. In arena mode ELK_Alloc hands out bytes back to back
// from one caller-supplied block and ELK_Free does nothing.
extern int8_t ELK_ArenaMode;
extern char* ELK_ArenaNext;
extern uint32_t ELK_ArenaRemaining;
// Running total of every size asked of ELK_Alloc (wraps).
// Atomic: programs allocate from more than one thread.
extern std::atomic<uint32_t> ELK_BytesRequested;

// Accounting hook for every allocation and release; does nothing.
void ELK_MemTrack(int32_t bytes);

// A block of size bytes, or null.
void* ELK_Alloc(uint32_t size);
// Returns a block from ELK_Alloc; does nothing in arena mode.
void ELK_Free(void* p);

void* ELK_MemCopy(void* dst, const void* src, uint32_t count);
void* ELK_MemSet(void* dst, int fill, uint32_t count);

// Hands the layer an arena of size bytes; its memory stays the caller's and
// is never freed. Release every block in the mode it came from: after
// ELK_UseHeap an arena block must not reach ELK_Free. The program itself
// always uses the heap.
void ELK_UseArena(void* memory, uint32_t size);
// Returns the layer to the general heap.
void ELK_UseHeap();

#endif
