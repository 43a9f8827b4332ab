#include "ReplacementFile.h"

#include "PartFile.h"

ReplacementFile::ReplacementFile(const char* targetName) : target(targetName)
{
    if (wideFileName(target).empty()) {
        lastError = "The file name is not valid";
        return;
    }
    // The extension stays last: writers choose their format by it.
    size_t nameStart = target.find_last_of("\\/:");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    size_t dot = target.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        dot = target.size();
    DWORD error;
    HANDLE file = createPartFile(target.substr(0, dot), target.substr(dot), temporary, error);
    if (file == INVALID_HANDLE_VALUE) {
        temporary.clear();
        lastError = "Cannot create a file in the folder";
        return;
    }
    CloseHandle(file);
    wideTemporary = systemFileName(temporary);
}

ReplacementFile::~ReplacementFile()
{
    discard();
}

void ReplacementFile::discard()
{
    if (!temporary.empty())
        DeleteFileW(wideTemporary.c_str());
    temporary.clear();
    wideTemporary.clear();
}

bool ReplacementFile::commit()
{
    if (temporary.empty()) {
        lastError = "Cannot create a file in the folder";
        return false;
    }
    // The writers have closed the file; its data reach the disk before the
    // name does, so a crash leaves the old file or the whole new one.
    HANDLE file = CreateFileW(wideTemporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    bool flushed = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (flushed && movePartFile(temporary, target)) {
        temporary.clear();
        wideTemporary.clear();
        return true;
    }
    DWORD error = GetLastError();
    discard();
    if (!flushed)
        lastError = "Cannot write the file to the disk";
    else if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
        lastError = "Cannot replace the file: it is write-protected, a folder or in use";
    else
        lastError = "Cannot replace the file";
    return false;
}
