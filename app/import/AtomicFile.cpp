#include "AtomicFile.h"

#include "FileNameText.h"
#include "ImportFailure.h"
#include "ImportFolders.h"
#include "PartFile.h"
#include "SystemErrorText.h"

AtomicFile::AtomicFile(const std::string& path) : path(path)
{
    std::string parent = parentFolder(path);
    std::string folder = parent.empty() ? "." : parent;
    std::string prefix = path.substr(parent.size());
    while (!prefix.empty() && (prefix[0] == '\\' || prefix[0] == '/'))
        prefix.erase(0, 1);
    if (folder.back() != '\\' && folder.back() != '/' && folder.back() != ':')
        prefix = "\\" + prefix;

    DWORD error = ERROR_SUCCESS;
    file = createPartFile(folder + prefix, "", part, error);
    if (file == INVALID_HANDLE_VALUE) {
        SystemErrorText reason = systemErrorText(error);
        std::string shown = shownText(folder);
        throw ImportFailure("cannot write to the folder " + shown + ": " + reason.english,
                            "in den Ordner " + shown + " kann nicht geschrieben werden: " + reason.german);
    }
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::write(const char* data, size_t size)
{
    while (size > 0) {
        DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr)) {
            SystemErrorText reason = systemErrorText(GetLastError());
            std::string shown = shownText(part);
            throw ImportFailure("cannot write " + shown + ": " + reason.english,
                                shown + " kann nicht geschrieben werden: " + reason.german);
        }
        data += written;
        size -= written;
    }
}

void AtomicFile::commit()
{
    DWORD error = ERROR_SUCCESS;
    if (!FlushFileBuffers(file))
        error = GetLastError();
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
    if (error == ERROR_SUCCESS &&
        !movePartFile(part, path))
        error = GetLastError();
    if (error == ERROR_SUCCESS) {
        pending = false;
        return;
    }
    discard();
    std::string shown = shownText(path);
    DWORD attributes = GetFileAttributesW(systemFileName(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // Windows says "access denied"; the C library's words say what is wrong.
        throw ImportFailure("cannot write " + shown + ": Is a directory",
                            shown + " kann nicht geschrieben werden: es ist ein Ordner");
    }
    SystemErrorText reason = systemErrorText(error);
    if (isPermissionError(error))
        throw ImportFailure("cannot write " + shown + ": " + reason.english +
                                " (is the file open in the program?)",
                            shown + " kann nicht geschrieben werden: " + reason.german +
                                " (ist die Datei im Programm geöffnet?)");
    throw ImportFailure("cannot write " + shown + ": " + reason.english,
                        shown + " kann nicht geschrieben werden: " + reason.german);
}

void AtomicFile::discard()
{
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    if (pending)
        DeleteFileW(systemFileName(part).c_str());
    pending = false;
}
