#pragma once

#include "WExport.h"
#include "WString.h"

// A comparison of two texts for WLinkedList::sort: negative, zero or positive.
class QUARN2_API WSorter {
public:
    WSorter() = default;
    WSorter(const WSorter&) = default;
    WSorter& operator=(const WSorter&) = default;
    virtual ~WSorter();

    virtual int compare(const WString& a, const WString& b) = 0;
};
