#include "WMemory.h"

#include <cstdlib>

#include "WException.h"
#include "WString.h"

void* WMemory::allocMemory(unsigned long size)
{
    void* block = std::malloc(size);
    if (block == nullptr)
        throw WMemoryException(WFormattedString("Out of memory. Cannot alloc %lu bytes.", size), -2);
    return block;
}

void* WMemory::reallocMemory(void* block, unsigned long size)
{
    void* moved = std::realloc(block, size);
    if (moved == nullptr)
        throw WMemoryException(WFormattedString("Out of memory. Cannot realloc %lu bytes.", size), -2);
    return moved;
}

void WMemory::freeMemory(void* block)
{
    std::free(block);
}
