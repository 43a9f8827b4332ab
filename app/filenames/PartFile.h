#pragma once

#include <windows.h>

#include <random>
#include <string>

#include "FileNameText.h"

// A file is replaced by writing its successor under a temporary name beside
// it (same folder, so that the move is a rename) and moving that over it
// when complete. The temporary name is "<prefix>.<8 random characters>.part<suffix>".

// Creates such a file, new and empty, for writing; another writer's name is
// tried again. INVALID_HANDLE_VALUE when none can be made, with the system's
// error in `error`. Names are UTF-8.
inline HANDLE createPartFile(const std::string& prefix, const std::string& suffix, std::string& name,
                             DWORD& error)
{
    static const char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789_";
    std::random_device device;
    std::mt19937 random(device());
    std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2);
    error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        name = prefix + ".";
        for (int i = 0; i < 8; ++i)
            name += alphabet[pick(random)];
        name += ".part" + suffix;
        HANDLE file = CreateFileW(systemFileName(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            return file;
        error = GetLastError();
    }
    return INVALID_HANDLE_VALUE;
}

// Moves a finished temporary file over the file it replaces, the move itself
// written through to the disk.
inline bool movePartFile(const std::string& part, const std::string& target)
{
    return MoveFileExW(systemFileName(part).c_str(), systemFileName(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
