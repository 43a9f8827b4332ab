#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "FileNameText.h"

// The files of one WM_DROPFILES, released when the drop has been handled.
class DroppedFiles {
public:
    explicit DroppedFiles(HDROP drop) : drop(drop) {}
    DroppedFiles(const DroppedFiles&) = delete;
    DroppedFiles& operator=(const DroppedFiles&) = delete;
    ~DroppedFiles() { DragFinish(drop); }

    UINT count() const { return DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0); }

    // The full name of a file, UTF-8.
    std::string name(UINT index) const
    {
        UINT length = DragQueryFileW(drop, index, nullptr, 0);
        std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
        length = DragQueryFileW(drop, index, &wide[0], length + 1);
        wide.resize(length);
        return utf8FileName(wide.c_str());
    }

private:
    HDROP drop;
};
