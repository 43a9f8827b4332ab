#pragma once

#include <string>

#include "DownloadSink.h"

// Publishers that put the month into the file name (NOAA:
// "NOAAGlobalTemp_v6.0.0_gridded_s185001_e202510_c20251106T150812.nc") are
// reached by an address whose last part is a pattern with '*'; the file is
// the newest of that pattern among the links of the folder's listing page.

// A listing page as it arrives, kept in memory.
class ListingText : public DownloadSink {
public:
    void write(const char* data, size_t size) override { text.append(data, size); }
    void finish() override {}

    const std::string& page() const { return text; }

private:
    std::string text;
};

// Whether the address's last part is a pattern.
bool isPatternAddress(const std::string& address);

// The address of the pattern's folder (up to and with its last '/').
std::string listingAddress(const std::string& patternAddress);

// The address of the file the page links to whose name matches the pattern
// and sorts last (the names carry their dates); empty when none matches.
std::string newestListedFile(const std::string& page, const std::string& patternAddress);
