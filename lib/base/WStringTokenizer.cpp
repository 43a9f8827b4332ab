#include "WStringTokenizer.h"

#include <cstring>

WStringTokenizer::WStringTokenizer(const char* text, const char* delimiter, bool trimTokens)
{
    parse(text, delimiter, trimTokens);
}

unsigned long WStringTokenizer::parse(const char* text, const char* delimiter, bool trimTokens)
{
    removeAll();
    // An empty delimiter would match everywhere without moving on.
    if (text == nullptr || delimiter == nullptr || *delimiter == 0)
        return 0;
    const size_t delimiterLength = std::strlen(delimiter);
    WString token;
    const char* position = text;
    for (const char* hit; (hit = std::strstr(position, delimiter)) != nullptr;
         position = hit + delimiterLength) {
        token.assign(position, static_cast<unsigned long>(hit - position));
        if (trimTokens)
            token.trim();
        add(token);
    }
    if (size() > 0) {
        token.assign(position);
        if (trimTokens)
            token.trim();
        add(token);
    }
    return size();
}
