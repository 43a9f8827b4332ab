#pragma once

#include <new>
#include <utility>

#include "WMemory.h"
#include "WSorter.h"

// A doubly linked list of T values with a built-in cursor. Values are copied
// in from A and handed out as A (WLinkedList<WString, const char*> stores
// strings and returns their texts). Entries come from WMemory, so a list made
// in the program and one made in the library share one heap.
//
// Iteration: while (list.hasMoreElements()) use(list.nextValue()); the loop
// rewinds the cursor to the first entry when it runs off the end.
template <class T, class A>
class WLinkedList {
public:
    struct WEntry {
        template <class U>
        explicit WEntry(const U& v) : value(v), next(nullptr), prev(nullptr)
        {
        }

        T value;
        WEntry* next;
        WEntry* prev;
    };

    WLinkedList()
        : lastEntry(nullptr), count(0), firstEntry(nullptr), markEntry(nullptr), cursor(nullptr)
    {
    }

    // Copies the source's values from its cursor to its end, then rewinds the
    // source's cursor. Delegating first means a copy that fails half-way is
    // destroyed, so its entries are freed.
    WLinkedList(const WLinkedList& other) : WLinkedList() { copyFrom(other); }

    WLinkedList& operator=(const WLinkedList& other)
    {
        if (this != &other) {
            removeAll();
            copyFrom(other);
        }
        return *this;
    }

    virtual ~WLinkedList() { removeAll(); }

    // Appends a copy of value. The first entry of an empty list also takes
    // the cursor.
    WEntry* add(A value) { return append(value); }

    unsigned long size() const { return count; }

    bool hasMoreElements()
    {
        if (cursor != nullptr)
            return true;
        cursor = firstEntry;
        return false;
    }

    // Only after hasMoreElements() returned true.
    A nextValue()
    {
        WEntry* entry = cursor;
        cursor = entry->next;
        return entry->value;
    }

    bool hasPrevElements()
    {
        if (cursor != nullptr)
            return true;
        cursor = lastEntry;
        return false;
    }

    // Only after hasPrevElements() returned true.
    A prevValue()
    {
        WEntry* entry = cursor;
        cursor = entry->prev;
        return entry->value;
    }

    void mark() { markEntry = cursor; }
    void reset() { cursor = markEntry != nullptr ? markEntry : firstEntry; }
    void setLast() { cursor = lastEntry; }

    // Removes the first n entries, or all when the list is shorter.
    void remove(int n)
    {
        while (n-- > 0 && firstEntry != nullptr)
            remove(firstEntry);
    }

    // Unlinks and frees one entry of this list; a cursor or mark on it moves
    // to the next entry.
    void remove(WEntry* entry)
    {
        if (entry == nullptr)
            return;
        if (cursor == entry)
            cursor = entry->next;
        if (markEntry == entry)
            markEntry = entry->next;
        if (entry->prev != nullptr)
            entry->prev->next = entry->next;
        else
            firstEntry = entry->next;
        if (entry->next != nullptr)
            entry->next->prev = entry->prev;
        else
            lastEntry = entry->prev;
        --count;
        destroy(entry);
    }

    void removeAll()
    {
        WEntry* entry = firstEntry;
        while (entry != nullptr) {
            WEntry* next = entry->next;
            destroy(entry);
            entry = next;
        }
        firstEntry = lastEntry = markEntry = cursor = nullptr;
        count = 0;
    }

    // Bubble passes that exchange the values of adjacent entries a, b while
    // sorter.compare(a, b) is negative: an ascending comparator gives
    // descending order. A consistent comparator settles within count passes;
    // the bound keeps a contradictory one from looping forever.
    void sort(WSorter& sorter)
    {
        for (unsigned long pass = 0; pass < count; ++pass) {
            bool exchanged = false;
            for (WEntry* a = firstEntry; a != nullptr && a->next != nullptr; a = a->next) {
                if (sorter.compare(a->value, a->next->value) < 0) {
                    std::swap(a->value, a->next->value);
                    exchanged = true;
                }
            }
            if (!exchanged)
                break;
        }
    }

private:
    template <class U>
    WEntry* append(const U& value)
    {
        void* block = WMemory::allocMemory(static_cast<unsigned long>(sizeof(WEntry)));
        WEntry* entry;
        try {
            entry = new (block) WEntry(value);
        } catch (...) {
            WMemory::freeMemory(block);
            throw;
        }
        entry->prev = lastEntry;
        if (lastEntry != nullptr)
            lastEntry->next = entry;
        else
            firstEntry = cursor = entry;
        lastEntry = entry;
        ++count;
        return entry;
    }

    void copyFrom(const WLinkedList& other)
    {
        for (WEntry* entry = other.cursor; entry != nullptr; entry = entry->next)
            append(entry->value);
        other.cursor = other.firstEntry;
    }

    static void destroy(WEntry* entry)
    {
        entry->~WEntry();
        WMemory::freeMemory(entry);
    }

    WEntry* lastEntry;
    unsigned long count;
    WEntry* firstEntry;
    WEntry* markEntry;
    // Mutable because copying rewinds the source's cursor.
    mutable WEntry* cursor;
};
