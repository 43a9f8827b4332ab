#include "ImportFolders.h"

#include <windows.h>

#include "FileNameText.h"
#include "ImportFailure.h"
#include "SystemErrorText.h"

namespace {

bool isSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The drive of a path: "C:" or "\\\\server\\share"; empty when it has none.
size_t driveLength(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':')
        return 2;
    if (path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2])) {
        size_t server = path.find_first_of("\\/", 2);
        if (server == std::string::npos)
            return 0;
        size_t share = path.find_first_of("\\/", server + 1);
        return share == std::string::npos ? path.size() : share;
    }
    return 0;
}

bool isFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesW(systemFileName(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

std::string parentFolder(const std::string& path)
{
    const size_t drive = driveLength(path);
    size_t end = path.size();
    while (end > drive && !isSeparator(path[end - 1]))
        --end;
    // Separators at the end of the head go, unless it is nothing else.
    size_t head = end;
    while (head > drive && isSeparator(path[head - 1]))
        --head;
    return path.substr(0, head > drive ? head : end);
}

std::vector<std::string> createFolders(const std::string& folder)
{
    std::vector<std::string> missing;
    for (std::string path = folder; !isFolder(path);) {
        missing.insert(missing.begin(), path);
        std::string parent = parentFolder(path);
        if (parent.empty() || parent == path)
            break;
        path = parent;
    }
    std::vector<std::string> made;
    for (const std::string& path : missing) {
        if (!CreateDirectoryW(systemFileName(path).c_str(), nullptr)) {
            SystemErrorText reason = systemErrorText(GetLastError());
            removeFolders(made);
            std::string shown = shownText(path);
            throw ImportFailure("cannot create the folder " + shown + ": " + reason.english,
                                "der Ordner " + shown + " kann nicht angelegt werden: " + reason.german);
        }
        made.push_back(path);
    }
    return made;
}

void removeFolders(const std::vector<std::string>& folders)
{
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        RemoveDirectoryW(systemFileName(*folder).c_str());
}
