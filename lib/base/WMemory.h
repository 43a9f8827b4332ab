#pragma once

#include "WExport.h"

// Heap allocation for every library object: the run-time library's heap,
// never a null result. Out of memory throws WMemoryException (id -2).
class QUARN2_API WMemory {
public:
    static void* allocMemory(unsigned long size);
    static void* reallocMemory(void* block, unsigned long size);
    static void freeMemory(void* block);
};
