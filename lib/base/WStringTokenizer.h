#pragma once

#include "WExport.h"
#include "WLinkedList.h"
#include "WString.h"

// The tokens of a text split at every occurrence of a delimiter text (a
// sequence, not a set of characters). Empty tokens are kept; a text without
// the delimiter gives no token at all.
class QUARN2_API WStringTokenizer : public WLinkedList<WString, const char*> {
public:
    WStringTokenizer() = default;
    WStringTokenizer(const char* text, const char* delimiter, bool trimTokens);

    // Replaces the tokens and returns their count.
    unsigned long parse(const char* text, const char* delimiter, bool trimTokens);
};
