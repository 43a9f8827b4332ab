#include "WFileInfo.h"

#include "WSystem.h"
#include "WUnicode.h"

WFileInfo::WFileInfo()
    : attributes(FILE_ATTRIBUTE_NORMAL), sizeLow(0), sizeHigh(0), timeCreation(0),
      timeLastAccess(0), timeLastModified(0)
{
}

WFileInfo::~WFileInfo()
{
    attributes = FILE_ATTRIBUTE_NORMAL;
    sizeLow = 0;
    sizeHigh = 0;
    timeCreation = 0;
    timeLastAccess = 0;
    timeLastModified = 0;
}

WDirectoryEntries::WDirectoryEntries(const char* directory, const char* pattern)
    : searchHandle(INVALID_HANDLE_VALUE), pending(false)
{
    WString search(directory);
    if (*pattern != 0) {
        search += "\\";
        search += pattern;
    }
    wchar_t wide[MAX_PATH + 1];
    if (!WUnicode::toWide(search, wide, MAX_PATH + 1))
        return;
    searchHandle = FindFirstFileW(wide, &entry);
    pending = searchHandle != INVALID_HANDLE_VALUE;
}

WDirectoryEntries::~WDirectoryEntries()
{
    if (searchHandle != INVALID_HANDLE_VALUE)
        FindClose(searchHandle);
}

bool WDirectoryEntries::nextEntry(WFileInfo& info)
{
    if (!pending)
        return false;
    info.attributes = entry.dwFileAttributes;
    WUnicode::toUtf8(entry.cFileName, info.fileName);
    info.sizeLow = entry.nFileSizeLow;
    info.sizeHigh = entry.nFileSizeHigh;
    WSystem::windowsTime2CTime(entry.ftCreationTime, info.timeCreation);
    WSystem::windowsTime2CTime(entry.ftLastAccessTime, info.timeLastAccess);
    WSystem::windowsTime2CTime(entry.ftLastWriteTime, info.timeLastModified);
    pending = FindNextFileW(searchHandle, &entry) != 0;
    return true;
}
