#include "WFileSelectDialog.h"

#include <cstring>
#include <vector>

#include "WSystem.h"
#include "WUnicode.h"

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

// 8-bit window texts as the system's 8-bit functions would read them; the
// length counts every zero byte that belongs to the text.
std::vector<wchar_t> windowText(const char* text, unsigned long length)
{
    std::vector<wchar_t> wide(length + 1, 0);
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), wide.data(),
                            static_cast<int>(length));
    return wide;
}
}

WFileSelectDialog::WFileSelectDialog(WWindowContext* owner, const char* filter)
    : request(), owner(owner)
{
    request.lStructSize = sizeof(request);
    request.nFilterIndex = 1;
    request.nMaxFile = NAME_CAPACITY;
    setExtension(filter);
}

WFileSelectDialog::~WFileSelectDialog() = default;

void WFileSelectDialog::setExtension(const char* filter)
{
    // The list ends in two zero bytes; the string keeps one more itself.
    filterList.assign(filter, filterLength(filter));
}

void WFileSelectDialog::setInitialFilename(const char* name)
{
    filename = name != nullptr ? name : "";
}

void WFileSelectDialog::setInitialPath(const char* directory)
{
    initialPath = directory != nullptr ? directory : "";
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

    // The system dialog speaks UTF-16: names go in and come back as UTF-8,
    // so a chosen path with umlauts is a valid library file name.
    std::vector<wchar_t> filter = windowText(filterList, filterList.length());
    std::vector<wchar_t> caption =
        windowText(title, title != nullptr ? static_cast<unsigned long>(std::strlen(title)) : 0);
    std::vector<wchar_t> name(NAME_CAPACITY, 0);
    WUnicode::toWide(filename, name.data(), static_cast<int>(NAME_CAPACITY));
    std::vector<wchar_t> start(MAX_PATH + 1, 0);
    bool hasStart = WUnicode::toWide(initialPath, start.data(), MAX_PATH + 1) && start[0] != 0;

    request.hwndOwner = WSystem::getContextWindowHandle(owner);
    request.lpstrFilter = filterList.length() > 0 ? filter.data() : nullptr;
    request.lpstrTitle = title != nullptr ? caption.data() : nullptr;
    request.lpstrFile = name.data();
    request.lpstrInitialDir = hasStart ? start.data() : nullptr;
    request.Flags = flags | OFN_EXPLORER;
    bool accepted = (save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request)) != 0;
    request.lpstrFilter = nullptr;
    request.lpstrTitle = nullptr;
    request.lpstrFile = nullptr;
    request.lpstrInitialDir = nullptr;

    if (accepted) {
        name[NAME_CAPACITY - 1] = 0;
        WUnicode::toUtf8(name.data(), filename);
    }
    if (directory.length() > 0)
        WSystem::setCurrentDirectory(directory);
    return accepted;
}
