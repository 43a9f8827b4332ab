#include "SystemErrorText.h"

#include "FileNameText.h"

bool isPermissionError(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_NETWORK_ACCESS_DENIED:
        return true;
    default:
        return false;
    }
}

SystemErrorText systemErrorText(DWORD error)
{
    if (isPermissionError(error))
        return {"Permission denied", "Zugriff verweigert"};
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return {"No such file or directory", "Datei oder Ordner nicht gefunden"};
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return {"File exists", "Datei oder Ordner besteht schon"};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return {"No space left on device", "Kein Platz mehr auf dem Datenträger"};
    default:
        break;
    }
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = length ? shownText(utf8FileName(buffer)) : std::string();
    LocalFree(buffer);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.'))
        text.pop_back();
    if (text.empty())
        text = "error " + std::to_string(error);
    return {text, text};
}
