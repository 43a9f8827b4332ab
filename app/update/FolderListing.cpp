#include "FolderListing.h"

#include <vector>

namespace {

// '*' stands for any run of characters, everything else for itself.
bool matches(const char* pattern, const char* name)
{
    if (*pattern == '\0')
        return *name == '\0';
    if (*pattern == '*')
        return matches(pattern + 1, name) || (*name != '\0' && matches(pattern, name + 1));
    return *pattern == *name && matches(pattern + 1, name + 1);
}

// The link targets of a page: the values of its href attributes.
std::vector<std::string> links(const std::string& page)
{
    std::vector<std::string> result;
    for (size_t at = 0; (at = page.find("href", at)) != std::string::npos;) {
        at += 4;
        size_t p = page.find_first_not_of(" \t\r\n", at);
        if (p == std::string::npos || page[p] != '=')
            continue;
        p = page.find_first_not_of(" \t\r\n", p + 1);
        if (p == std::string::npos)
            break;
        char quote = page[p] == '"' || page[p] == '\'' ? page[p] : '\0';
        size_t begin = quote ? p + 1 : p;
        size_t end = quote ? page.find(quote, begin) : page.find_first_of(" \t\r\n>", begin);
        if (end == std::string::npos)
            break;
        result.push_back(page.substr(begin, end - begin));
        at = end;
    }
    return result;
}

} // namespace

bool isPatternAddress(const std::string& address)
{
    size_t star = address.find('*');
    return star != std::string::npos && star > address.rfind('/');
}

std::string listingAddress(const std::string& patternAddress)
{
    return patternAddress.substr(0, patternAddress.rfind('/') + 1);
}

std::string newestListedFile(const std::string& page, const std::string& patternAddress)
{
    std::string pattern = patternAddress.substr(patternAddress.rfind('/') + 1);
    std::string newest;
    for (std::string link : links(page)) {
        link = link.substr(0, link.find_first_of("?#"));
        std::string name = link.substr(link.rfind('/') + 1);
        if (matches(pattern.c_str(), name.c_str()) && name > newest)
            newest = name;
    }
    return newest.empty() ? newest : listingAddress(patternAddress) + newest;
}
