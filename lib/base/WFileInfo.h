#pragma once

#include <windows.h>

#include "WExport.h"
#include "WString.h"

// What the library knows of one file: name, attributes, 64-bit size and three
// times in whole seconds since 1 January 1970.
class QUARN2_API WFileInfo {
public:
    WFileInfo();
    ~WFileInfo();

    const WString& getFilename() const { return fileName; }
    unsigned long getFileType() const { return attributes; }
    unsigned long long getFileSize() const
    {
        return (static_cast<unsigned long long>(sizeHigh) << 32) | sizeLow;
    }
    unsigned long long getTimeCreation() const { return timeCreation; }
    unsigned long long getTimeLastAccess() const { return timeLastAccess; }
    unsigned long long getTimeLastModified() const { return timeLastModified; }

private:
    friend class WFile;
    friend class WDirectoryEntries;

    WString fileName;
    unsigned long attributes;
    unsigned long sizeLow;
    unsigned long sizeHigh;
    unsigned long long timeCreation;
    unsigned long long timeLastAccess;
    unsigned long long timeLastModified;
};

// Enumerates the entries of a directory that match a pattern.
class QUARN2_API WDirectoryEntries {
public:
    WDirectoryEntries(const char* directory, const char* pattern);
    WDirectoryEntries(const WDirectoryEntries&) = delete;
    WDirectoryEntries& operator=(const WDirectoryEntries&) = delete;
    ~WDirectoryEntries();

    // False when no entry is pending; else fills info and fetches the next.
    bool nextEntry(WFileInfo& info);

private:
    HANDLE searchHandle;
    bool pending;
    WIN32_FIND_DATAW entry;
};
