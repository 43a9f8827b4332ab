#include "WFileSelectDialog.h"

#include <cstring>

#include "WSystem.h"

namespace {
// Length of a filter list: pairs of zero-ended texts, ended by an extra zero.
unsigned long filterLength(const char* filter)
{
    if (filter == nullptr)
        return 0;
    const char* end = filter;
    while (*end != 0)
        end += std::strlen(end) + 1;
    return static_cast<unsigned long>(end - filter) + 1;
}
}

WFileSelectDialog::WFileSelectDialog(WWindowContext* owner, const char* filter)
    : request(), owner(owner), filename()
{
    request.lStructSize = sizeof(request);
    request.nFilterIndex = 1;
    request.nMaxFile = NAME_CAPACITY;
    request.lpstrFile = filename;
    setExtension(filter);
}

WFileSelectDialog::~WFileSelectDialog() = default;

void WFileSelectDialog::setExtension(const char* filter)
{
    // The list ends in two zero bytes; the string keeps one more itself.
    filterList.assign(filter, filterLength(filter));
    request.lpstrFilter = filter != nullptr ? static_cast<const char*>(filterList) : nullptr;
}

void WFileSelectDialog::setInitialFilename(const char* name)
{
    std::strncpy(filename, name != nullptr ? name : "", NAME_CAPACITY - 1);
    filename[NAME_CAPACITY - 1] = 0;
}

void WFileSelectDialog::setInitialPath(const char* directory)
{
    initialPath = directory;
    request.lpstrInitialDir = directory != nullptr ? static_cast<const char*>(initialPath) : nullptr;
}

bool WFileSelectDialog::showOpenDialog(const char* title)
{
    return run(title, OFN_SHAREAWARE, false);
}

bool WFileSelectDialog::showSaveDialog(const char* title)
{
    return run(title, OFN_SHAREAWARE | OFN_OVERWRITEPROMPT, true);
}

bool WFileSelectDialog::run(const char* title, DWORD flags, bool save)
{
    WString directory;
    WSystem::getCurrentDirectory(directory);
    char chosen[NAME_CAPACITY];
    std::memcpy(chosen, filename, NAME_CAPACITY);

    request.hwndOwner = WSystem::getContextWindowHandle(owner);
    request.lpstrTitle = title;
    request.Flags = flags | OFN_EXPLORER;
    bool accepted = (save ? GetSaveFileNameA(&request) : GetOpenFileNameA(&request)) != 0;

    // A cancelled or failed dialog may have written into the buffer.
    if (!accepted)
        std::memcpy(filename, chosen, NAME_CAPACITY);
    if (directory.length() > 0)
        WSystem::setCurrentDirectory(directory);
    return accepted;
}
