#include "ReplacementFile.h"

#include <random>

#include "FileNames.h"

namespace {

std::wstring randomName(std::mt19937& random)
{
    static const wchar_t alphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<int> pick(0, 35);
    std::wstring name;
    for (int i = 0; i < 8; ++i)
        name += alphabet[pick(random)];
    return name;
}

std::string utf8(const std::wstring& wide)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(n > 1 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &text[0], n, nullptr, nullptr);
    return text;
}

} // namespace

ReplacementFile::ReplacementFile(const char* targetName) : target(wideFileName(targetName))
{
    if (target.empty()) {
        lastError = "The file name is not valid";
        return;
    }
    size_t nameStart = target.find_last_of(L"\\/:");
    nameStart = nameStart == std::wstring::npos ? 0 : nameStart + 1;
    size_t dot = target.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < nameStart)
        dot = target.size();
    const std::wstring stem = target.substr(0, dot);
    const std::wstring extension = target.substr(dot);

    std::random_device device;
    std::mt19937 random(device());
    // Another writer's name is tried again; any other failure is final.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring name = stem + L"." + randomName(random) + L".part" + extension;
        HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            temporary = name;
            temporaryUtf8 = utf8(name);
            return;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    lastError = "Cannot create a file in the folder";
}

ReplacementFile::~ReplacementFile()
{
    discard();
}

void ReplacementFile::discard()
{
    if (!temporary.empty())
        DeleteFileW(temporary.c_str());
    temporary.clear();
    temporaryUtf8.clear();
}

bool ReplacementFile::commit()
{
    if (temporary.empty()) {
        lastError = "Cannot create a file in the folder";
        return false;
    }
    // The writers have closed the file; its data reach the disk before the
    // name does, so a crash leaves the old file or the whole new one.
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    bool flushed = file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (flushed && MoveFileExW(temporary.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        temporary.clear();
        temporaryUtf8.clear();
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
