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
//
// spread() is a second, 32-bit hash over the whole key. Many keys share one
// of the short hashes above (every anagram one byte sum, every integer one of
// 256 values), so a table that has grown past its chains places its entries
// by spread() instead.
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

    // FNV-1a.
    static unsigned int spread(const char* key)
    {
        std::uint32_t value = 2166136261u;
        for (const char* p = storable(key); *p != 0; ++p)
            value = (value ^ static_cast<unsigned char>(*p)) * 16777619u;
        return value;
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

    // The finishing mix of MurmurHash3 over all bits of the key.
    static unsigned int spread(K key)
    {
        std::uint64_t value = static_cast<std::uint64_t>(bits(key));
        value ^= value >> 33;
        value *= 0xFF51AFD7ED558CCDull;
        value ^= value >> 33;
        return static_cast<unsigned int>(value);
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

// A chained hash table made with a number of chains (10 for the library's
// own tables, 100 for the program's), which also keeps its entries in the
// order in which their keys were first put. K and V are stored; keys are
// handed in as KA, values in and out as VA (WHashtable<WString, WString,
// const char*, const WString&>). The bucket array is made at the first
// insertion. Entries come from WMemory, so a table made in the program and
// one made in the library share one heap.
//
// An entry's chain is its short hash modulo the chain count while the table
// holds up to MAX_LOAD entries per chain, the sizes it is made for. Past
// that, the table grows to one chain per entry, and on whenever it holds two
// per chain, and entries are placed by their spread() hash: a table of any
// size, even of keys that share one short hash, is filled and searched in
// time linear in its size.
//
// Iteration in insertion order:
//     while (table.hasMoreElements()) { VA v = table.nextValue(); KA k = table.getCurrentKey(); }
// The loop rewinds itself when it runs off the end; reset() rewinds early.
template <class K, class V, class KA, class VA>
class WHashtable {
public:
    static const unsigned int MAX_LOAD = 16;

    explicit WHashtable(unsigned int chains)
        : buckets(nullptr), current(nullptr), madeChains(chains > 0 ? chains : 1),
          chainCount(madeChains), grown(false)
    {
    }

    WHashtable(const WHashtable&) = delete;
    WHashtable& operator=(const WHashtable&) = delete;

    virtual ~WHashtable() { removeAll(); }

    // Inserts the pair, or replaces the value of an existing key in place
    // (its place in the insertion order stays). Returns the stored value.
    V& put(KA key, VA value)
    {
        Hashes hashes(key);
        Entry* entry = lookup(key, hashes);
        if (entry != nullptr) {
            entry->value = value;
            return entry->value;
        }
        if (buckets == nullptr)
            buckets = newBuckets(chainCount);
        else if (order.size() >=
                 static_cast<unsigned long>(grown ? GROWN_LOAD : MAX_LOAD) * chainCount)
            grow();
        void* block = WMemory::allocMemory(static_cast<unsigned long>(sizeof(Entry)));
        try {
            entry = new (block) Entry(hashes, WHashKey<K>::storable(key), value);
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
        link(entry, buckets);
        return entry->value;
    }

    // The stored value of key, or null.
    V* find(KA key)
    {
        Entry* entry = lookup(key, Hashes(key));
        return entry != nullptr ? &entry->value : nullptr;
    }

    const V* find(KA key) const
    {
        const Entry* entry = lookup(key, Hashes(key));
        return entry != nullptr ? &entry->value : nullptr;
    }

    bool containsKey(KA key) const { return lookup(key, Hashes(key)) != nullptr; }

    // Removes the key's entry; false when the key is not stored. An iteration
    // in progress goes on with the next entry.
    bool remove(KA key)
    {
        Entry* entry = lookup(key, Hashes(key));
        if (entry == nullptr)
            return false;
        if (entry->chainPrev != nullptr)
            entry->chainPrev->chainNext = entry->chainNext;
        else
            buckets[chainOf(entry->hashes)] = entry->chainNext;
        if (entry->chainNext != nullptr)
            entry->chainNext->chainPrev = entry->chainPrev;
        if (current == entry)
            current = nullptr;
        order.remove(entry->node);
        destroy(entry);
        return true;
    }

    // Frees every entry and the bucket array; the table is as made again.
    void removeAll()
    {
        order.reset();
        while (order.hasMoreElements())
            destroy(order.nextValue());
        order.removeAll();
        WMemory::freeMemory(buckets);
        buckets = nullptr;
        current = nullptr;
        chainCount = madeChains;
        grown = false;
    }

    unsigned long size() const { return order.size(); }
    // The chains the table was made with, or more once it has grown.
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
    // Entries per chain of a grown table before it grows again.
    static const unsigned int GROWN_LOAD = 2;
    // Beyond this the bucket array stops growing (128 MB of chain heads).
    static const unsigned int MAX_CHAINS = 1u << 24;

    struct Hashes {
        explicit Hashes(KA key) : hash(WHashKey<K>::hash(key)), spread(WHashKey<K>::spread(key)) {}

        unsigned short hash;
        unsigned int spread;
    };

    struct Entry {
        template <class KT, class VT>
        Entry(const Hashes& h, const KT& k, const VT& v)
            : hashes(h), key(k), value(v), chainPrev(nullptr), chainNext(nullptr), node(nullptr)
        {
        }

        Hashes hashes;
        K key;
        V value;
        Entry* chainPrev;
        Entry* chainNext;
        typename WLinkedList<Entry*, Entry*>::WEntry* node;
    };

    unsigned int chainOf(const Hashes& hashes) const
    {
        return (grown ? hashes.spread : hashes.hash) % chainCount;
    }

    Entry* lookup(KA key, const Hashes& hashes) const
    {
        if (buckets == nullptr)
            return nullptr;
        Entry* entry = buckets[chainOf(hashes)];
        for (; entry != nullptr; entry = entry->chainNext) {
            if (entry->hashes.hash == hashes.hash && WHashKey<K>::equals(entry->key, key))
                return entry;
        }
        return nullptr;
    }

    static Entry** newBuckets(unsigned int count)
    {
        unsigned long size = static_cast<unsigned long>(sizeof(Entry*) * count);
        Entry** chains = static_cast<Entry**>(WMemory::allocMemory(size));
        std::memset(chains, 0, size);
        return chains;
    }

    // Puts the entry at the head of its chain.
    void link(Entry* entry, Entry** into)
    {
        Entry*& head = into[chainOf(entry->hashes)];
        entry->chainPrev = nullptr;
        entry->chainNext = head;
        if (head != nullptr)
            head->chainPrev = entry;
        head = entry;
    }

    // More chains, the entries placed by their spread hash: one chain per
    // entry at first, then twice the chains whenever there are two entries
    // per chain. The chains are walked rather than the insertion list, whose
    // cursor may be inside an iteration.
    void grow()
    {
        unsigned int oldCount = chainCount;
        unsigned int factor = grown ? 2 : MAX_LOAD;
        if (oldCount > MAX_CHAINS / factor)
            return;
        Entry** oldBuckets = buckets;
        buckets = newBuckets(oldCount * factor);
        chainCount = oldCount * factor;
        grown = true;
        for (unsigned int chain = 0; chain < oldCount; ++chain) {
            Entry* entry = oldBuckets[chain];
            while (entry != nullptr) {
                Entry* next = entry->chainNext;
                link(entry, buckets);
                entry = next;
            }
        }
        WMemory::freeMemory(oldBuckets);
    }

    static void destroy(Entry* entry)
    {
        entry->~Entry();
        WMemory::freeMemory(entry);
    }

    Entry** buckets;
    WLinkedList<Entry*, Entry*> order;
    Entry* current;
    unsigned int madeChains;
    unsigned int chainCount;
    // Entries are placed by their spread hash.
    bool grown;
};
