#pragma once

#include <windows.h>

#include <string>

// Closing a metafile file does not tell of a write that failed (a full
// disk): the file must be as long as its header says. Deletes the handle
// (null when closing failed) either way.
inline bool closedCompletely(HENHMETAFILE metafile, const std::wstring& name)
{
    if (metafile == nullptr)
        return false;
    ENHMETAHEADER header = {};
    WIN32_FILE_ATTRIBUTE_DATA file = {};
    bool complete = GetEnhMetaFileHeader(metafile, sizeof header, &header) == sizeof header &&
                    GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &file) &&
                    file.nFileSizeHigh == 0 && file.nFileSizeLow == header.nBytes;
    DeleteEnhMetaFile(metafile);
    return complete;
}
