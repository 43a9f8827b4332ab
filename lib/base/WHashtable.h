#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include "WLinkedList.h"
#include "WMemory.h"
#include "WString.h"

// Hash and comparison of a key type. Texts: the sum of their bytes read as
// signed 8-bit values, in a wrapping 16-bit counter. Integers, enumerations
// and handles (any pointer, HWND included): ((low 16 bits * 0x9E37) mod 65536)
// >> 8, a value 0-255; they compare by their full value, so 64-bit handles
// are never cut down. storable() gives what the stored key is made from; a
// null text counts as the empty text.
template <class K, class Enable = void>
struct WHashKey;

template <>
struct WHashKey<WString> {
    static unsigned short hash(const char* key)
    {
        unsigned short sum = 0;
        for (const char* p = storable(key); *p != 0; ++p)
            sum = static_cast<unsigned short>(sum + static_cast<signed char>(*p));
        return sum;
    }

    static bool equals(const WString& stored, const char* key)
    {
        return std::strcmp(stored, storable(key)) == 0;
    }

    static const char* storable(const char* key) { return key != nullptr ? key : ""; }
};

template <class K>
struct WHashKey<K, typename std::enable_if<std::is_integral<K>::value || std::is_enum<K>::value ||
                                           std::is_pointer<K>::value>::type> {
    static unsigned short hash(K key)
    {
        unsigned long low = static_cast<unsigned long>(bits(key) & 0xFFFFu);
        return static_cast<unsigned short>(((low * 0x9E37u) & 0xFFFFu) >> 8);
    }

    static bool equals(K stored, K key) { return stored == key; }

    static K storable(K key) { return key; }

private:
    template <class P>
    static std::uintptr_t bits(P* key)
    {
        return reinterpret_cast<std::uintptr_t>(key);
    }

    template <class I>
    static std::uintmax_t bits(I key)
    {
        return static_cast<std::uintmax_t>(key);
    }
};

// A chained hash table with a fixed number of chains (10 for the library's
// own tables, 100 for the program's), which also keeps its entries in the
// order in which their keys were first put. K and V are stored; keys are
// handed in as KA, values in and out as VA (WHashtable<WString, WString,
// const char*, const WString&>). The bucket array is made at the first
// insertion and never grows. Entries come from WMemory, so a table made in
// the program and one made in the library share one heap.
//
// Iteration in insertion order:
//     while (table.hasMoreElements()) { VA v = table.nextValue(); KA k = table.getCurrentKey(); }
// The loop rewinds itself when it runs off the end; reset() rewinds early.
template <class K, class V, class KA, class VA>
class WHashtable {
public:
    explicit WHashtable(unsigned int chains)
        : buckets(nullptr), current(nullptr), chainCount(chains > 0 ? chains : 1)
    {
    }

    WHashtable(const WHashtable&) = delete;
    WHashtable& operator=(const WHashtable&) = delete;

    virtual ~WHashtable() { removeAll(); }

    // Inserts the pair, or replaces the value of an existing key in place
    // (its place in the insertion order stays). Returns the stored value.
    V& put(KA key, VA value)
    {
        unsigned short hash = WHashKey<K>::hash(key);
        Entry* entry = lookup(key, hash);
        if (entry != nullptr) {
            entry->value = value;
            return entry->value;
        }
        if (buckets == nullptr) {
            unsigned long size = static_cast<unsigned long>(sizeof(Entry*) * chainCount);
            buckets = static_cast<Entry**>(WMemory::allocMemory(size));
            std::memset(buckets, 0, size);
        }
        void* block = WMemory::allocMemory(static_cast<unsigned long>(sizeof(Entry)));
        try {
            entry = new (block) Entry(hash, WHashKey<K>::storable(key), value);
        } catch (...) {
            WMemory::freeMemory(block);
            throw;
        }
        try {
            entry->node = order.add(entry);
        } catch (...) {
            destroy(entry);
            throw;
        }
        Entry*& head = buckets[hash % chainCount];
        entry->chainNext = head;
        if (head != nullptr)
            head->chainPrev = entry;
        head = entry;
        return entry->value;
    }

    // The stored value of key, or null.
    V* find(KA key)
    {
        Entry* entry = lookup(key, WHashKey<K>::hash(key));
        return entry != nullptr ? &entry->value : nullptr;
    }

    const V* find(KA key) const
    {
        const Entry* entry = lookup(key, WHashKey<K>::hash(key));
        return entry != nullptr ? &entry->value : nullptr;
    }

    bool containsKey(KA key) const { return lookup(key, WHashKey<K>::hash(key)) != nullptr; }

    // Removes the key's entry; false when the key is not stored. An iteration
    // in progress goes on with the next entry.
    bool remove(KA key)
    {
        Entry* entry = lookup(key, WHashKey<K>::hash(key));
        if (entry == nullptr)
            return false;
        if (entry->chainPrev != nullptr)
            entry->chainPrev->chainNext = entry->chainNext;
        else
            buckets[entry->hash % chainCount] = entry->chainNext;
        if (entry->chainNext != nullptr)
            entry->chainNext->chainPrev = entry->chainPrev;
        if (current == entry)
            current = nullptr;
        order.remove(entry->node);
        destroy(entry);
        return true;
    }

    // Frees every entry and the bucket array.
    void removeAll()
    {
        order.reset();
        while (order.hasMoreElements())
            destroy(order.nextValue());
        order.removeAll();
        WMemory::freeMemory(buckets);
        buckets = nullptr;
        current = nullptr;
    }

    unsigned long size() const { return order.size(); }
    unsigned int getChainCount() const { return chainCount; }

    // Number of entries in one chain (0 before the first insertion).
    unsigned long getChainLength(unsigned int chain) const
    {
        unsigned long length = 0;
        if (buckets != nullptr && chain < chainCount) {
            for (const Entry* entry = buckets[chain]; entry != nullptr; entry = entry->chainNext)
                ++length;
        }
        return length;
    }

    bool hasMoreElements() { return order.hasMoreElements(); }

    // Only after hasMoreElements() returned true: the next value in insertion
    // order; its entry becomes the current one.
    VA nextValue()
    {
        current = order.nextValue();
        return current->value;
    }

    // The key of the entry whose value nextValue() returned last.
    KA getCurrentKey() const { return current->key; }

    void reset()
    {
        order.reset();
        current = nullptr;
    }

private:
    struct Entry {
        template <class KT, class VT>
        Entry(unsigned short h, const KT& k, const VT& v)
            : hash(h), key(k), value(v), chainPrev(nullptr), chainNext(nullptr), node(nullptr)
        {
        }

        unsigned short hash;
        K key;
        V value;
        Entry* chainPrev;
        Entry* chainNext;
        typename WLinkedList<Entry*, Entry*>::WEntry* node;
    };

    Entry* lookup(KA key, unsigned short hash) const
    {
        if (buckets == nullptr)
            return nullptr;
        Entry* entry = buckets[hash % chainCount];
        for (; entry != nullptr; entry = entry->chainNext) {
            if (entry->hash == hash && WHashKey<K>::equals(entry->key, key))
                return entry;
        }
        return nullptr;
    }

    static void destroy(Entry* entry)
    {
        entry->~Entry();
        WMemory::freeMemory(entry);
    }

    Entry** buckets;
    WLinkedList<Entry*, Entry*> order;
    Entry* current;
    unsigned int chainCount;
};
