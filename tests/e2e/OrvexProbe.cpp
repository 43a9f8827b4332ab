// orvex_probe: drives and inspects the windows of other programs in the same
// Wine prefix for the end-to-end tests, as a user (and a screen reader)
// would: it finds windows, reports their rectangles and texts, reads status
// bars, sends keys, clicks and commands, and waits for conditions.
//
// It reads one command per line from its standard input and answers each
// with one line on standard output: "ok[ RESULT]" or "error MESSAGE". Window
// handles are written and read in hexadecimal; line breaks and backslashes
// in answers are escaped as \r, \n and \\. Commands:
//
//   find TITLE                    the visible top-level window with the title
//   wait MS TITLE                 the same, waiting up to MS milliseconds
//   gone MS TITLE                 waits until no such window is left
//   windows                       "HWND|PID|CLASS|TITLE;..." of every visible top-level window
//   rect HWND                     window rectangle: L T R B (screen)
//   client HWND                   client rectangle in screen coordinates: L T R B
//   child HWND TEXT               the first descendant whose text or class is TEXT
//   text HWND                     the window's text
//   visible HWND                  "1" when the window and its parents are visible, else "0"
//   texts HWND                    the texts of its descendants, joined by "|"
//   status HWND PART              the text of a part of the window's status bar
//   painted HWND MS               waits until the window shows a finished map: no
//                                 wait dialog open, nothing left to repaint, at
//                                 least 1 % coloured pixels (the legend) and the
//                                 same pixels twice in a row; answers their hash
//   changed HWND MS HASH          the same, until the hash differs from HASH
//   hash HWND                     hash of the pixels of the window's client area
//   snap HWND FILE                the client area's pixels as a 24-bit BMP file
//                                 (both: the part of it on the screen)
//   command HWND ID               posts WM_COMMAND ID
//   run HWND ID MS                sends WM_COMMAND ID and waits up to MS until it is done
//   close HWND                    the close box (WM_SYSCOMMAND SC_CLOSE)
//   focus HWND                    brings the window to the front with the keyboard focus
//   key VK [ctrl]                 presses and releases a key (SendInput)
//   click X Y [right|double]      a mouse click at screen coordinates
//   move X Y                      moves the mouse to screen coordinates
//   wheel X Y DELTA               turns the wheel there by DELTA (120: one notch away
//                                 from the user)
//   settext HWND TEXT             sets a control's text
//   item HWND ID                  the dialog item with the id
//   choose HWND TEXT              selects the entry beginning with TEXT in a combo box
//   push HWND TEXT                clicks the button with the text in the window
//   pid HWND                      the id of the process that owns the window
//   dpi HWND                      the resolution the window is drawn at (96 at 100 %)
//   sleep MS
//   quit
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string hex(HWND window)
{
    char text[32];
    snprintf(text, sizeof(text), "%llx",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    return text;
}

HWND parseWindow(const std::string& text)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(text.c_str(), nullptr, 16)));
}

// The whole text, however long: the tests check that no window shows
// megabytes of it.
std::string windowText(HWND window)
{
    // WM_GETTEXT is marshalled between processes, GetWindowText is not.
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    text.resize(copied);
    return text;
}

std::string className(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

struct Search {
    std::string title;
    HWND found;
};

BOOL CALLBACK findTopLevel(HWND window, LPARAM data)
{
    Search* search = reinterpret_cast<Search*>(data);
    if (IsWindowVisible(window) && windowText(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND findWindow(const std::string& title)
{
    Search search{title, nullptr};
    EnumWindows(findTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK findDescendant(HWND window, LPARAM data)
{
    Search* search = reinterpret_cast<Search*>(data);
    if (windowText(window) == search->title || className(window) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND findChild(HWND parent, const std::string& text)
{
    Search search{text, nullptr};
    EnumChildWindows(parent, findDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK collectTexts(HWND window, LPARAM data)
{
    std::string* texts = reinterpret_cast<std::string*>(data);
    std::string text = windowText(window);
    if (!text.empty()) {
        if (!texts->empty())
            *texts += "|";
        *texts += text;
    }
    return TRUE;
}

BOOL CALLBACK collectWindows(HWND window, LPARAM data)
{
    if (!IsWindowVisible(window))
        return TRUE;
    std::string* list = reinterpret_cast<std::string*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    *list += hex(window) + "|" + std::to_string(pid) + "|" + className(window) + "|" +
             windowText(window) + ";";
    return TRUE;
}

// The text of one part of a status bar of another process: the text has to
// be fetched through memory of that process.
bool statusText(HWND main, int part, std::string& out)
{
    HWND bar = findChild(main, STATUSCLASSNAMEA);
    if (bar == nullptr)
        return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(bar, &pid);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process == nullptr)
        return false;
    const SIZE_T size = 4096;
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    bool ok = false;
    if (remote != nullptr) {
        DWORD_PTR length = 0;
        if (SendMessageTimeoutA(bar, SB_GETTEXTLENGTHA, part, 0, SMTO_ABORTIFHUNG, 2000, &length) &&
            LOWORD(length) < size) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(remote),
                                SMTO_ABORTIFHUNG, 2000, &ignored);
            std::vector<char> text(LOWORD(length) + 1, 0);
            SIZE_T got = 0;
            ok = ReadProcessMemory(process, remote, text.data(), LOWORD(length), &got) != 0;
            out.assign(text.data(), got);
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return ok;
}

// The client area's pixels as the screen shows them, rows top-down, BGRX.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> data;

    unsigned long long hash() const
    {
        unsigned long long h = 1469598103934665603ULL;
        for (unsigned char byte : data)
            h = (h ^ byte) * 1099511628211ULL;
        return h;
    }
    // Percent of pixels whose channels differ by more than 24 (not grey).
    int colouredPercent() const
    {
        size_t coloured = 0, count = data.size() / 4;
        for (size_t i = 0; i < data.size(); i += 4) {
            int b = data[i], g = data[i + 1], r = data[i + 2];
            int high = std::max(r, std::max(g, b)), low = std::min(r, std::min(g, b));
            if (high - low > 24)
                ++coloured;
        }
        return count == 0 ? 0 : static_cast<int>(coloured * 100 / count);
    }
};

Pixels grab(HWND window)
{
    Pixels pixels;
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    // Only what is on the screen can be read.
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&r, &r, &screen);
    pixels.width = r.right - r.left;
    pixels.height = r.bottom - r.top;
    if (pixels.width <= 0 || pixels.height <= 0)
        return pixels;
    HDC screenDc = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screenDc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screenDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, pixels.width, pixels.height, screenDc, r.left, r.top, SRCCOPY);
    GdiFlush();
    const unsigned char* begin = static_cast<const unsigned char*>(bits);
    pixels.data.assign(begin, begin + static_cast<size_t>(pixels.width) * pixels.height * 4);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screenDc);
    return pixels;
}

bool writeBmp(const Pixels& pixels, const std::string& name)
{
    FILE* file = fopen(name.c_str(), "wb");
    if (file == nullptr)
        return false;
    int rowBytes = (pixels.width * 3 + 3) & ~3;
    BITMAPFILEHEADER fileHeader = {};
    BITMAPINFOHEADER header = {};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
    fileHeader.bfSize = fileHeader.bfOffBits + rowBytes * pixels.height;
    header.biSize = sizeof(header);
    header.biWidth = pixels.width;
    header.biHeight = pixels.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    fwrite(&fileHeader, sizeof(fileHeader), 1, file);
    fwrite(&header, sizeof(header), 1, file);
    std::vector<unsigned char> row(rowBytes, 0);
    for (int y = pixels.height - 1; y >= 0; --y) {
        for (int x = 0; x < pixels.width; ++x)
            std::memcpy(&row[x * 3], &pixels.data[(static_cast<size_t>(y) * pixels.width + x) * 4],
                        3);
        fwrite(row.data(), 1, row.size(), file);
    }
    return fclose(file) == 0;
}

// A finished map: no wait dialog, nothing left to repaint once the owner's
// thread answers, coloured cells on the page, and the same pixels twice.
bool mapPainted(HWND page, unsigned long long& hash)
{
    if (findWindow("Bitte waren ...") != nullptr)
        return false;
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(page, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored))
        return false;
    RECT dirty;
    if (GetUpdateRect(page, &dirty, FALSE))
        return false;
    Pixels first = grab(page);
    // The colour legend is drawn only over a finished map.
    if (first.colouredPercent() < 1)
        return false;
    Sleep(30);
    Pixels second = grab(page);
    hash = second.hash();
    return first.hash() == hash;
}

void sendKey(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN)
        input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
    SendInput(1, &input, sizeof(input));
}

void sendMouse(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

// The rest of the line after the first n words.
std::string restAfter(const std::string& line, int words)
{
    size_t pos = 0;
    for (int i = 0; i < words; ++i) {
        pos = line.find(' ', pos);
        if (pos == std::string::npos)
            return "";
        ++pos;
    }
    return line.substr(pos);
}

std::string rectText(const RECT& r)
{
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
           " " + std::to_string(r.bottom);
}

bool waitFor(DWORD ms, const std::function<bool()>& done)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (GetTickCount() - start >= ms)
            return false;
        Sleep(20);
    }
}

std::string run(const std::string& line)
{
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (command == "find" || command == "wait") {
        DWORD ms = 0;
        if (command == "wait")
            in >> ms;
        std::string title = restAfter(line, command == "wait" ? 2 : 1);
        HWND found = nullptr;
        waitFor(ms, [&] { return (found = findWindow(title)) != nullptr; });
        return found != nullptr ? "ok " + hex(found) : "error no window " + title;
    }
    if (command == "gone") {
        DWORD ms = 0;
        in >> ms;
        std::string title = restAfter(line, 2);
        return waitFor(ms, [&] { return findWindow(title) == nullptr; }) ? "ok"
                                                                         : "error still there";
    }
    if (command == "windows") {
        std::string list;
        EnumWindows(collectWindows, reinterpret_cast<LPARAM>(&list));
        return "ok " + list;
    }
    if (command == "sleep") {
        DWORD ms = 0;
        in >> ms;
        Sleep(ms);
        return "ok";
    }
    if (command == "key") {
        std::string vkText, modifier;
        in >> vkText >> modifier;
        WORD vk = static_cast<WORD>(strtoul(vkText.c_str(), nullptr, 0));
        bool ctrl = modifier == "ctrl";
        if (ctrl)
            sendKey(VK_CONTROL, false);
        sendKey(vk, false);
        sendKey(vk, true);
        if (ctrl)
            sendKey(VK_CONTROL, true);
        return "ok";
    }
    if (command == "move" || command == "wheel") {
        int x = 0, y = 0, delta = 0;
        in >> x >> y >> delta;
        SetCursorPos(x, y);
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = command == "move" ? MOUSEEVENTF_MOVE : MOUSEEVENTF_WHEEL;
        input.mi.mouseData = static_cast<DWORD>(delta);
        SendInput(1, &input, sizeof(input));
        return "ok";
    }
    if (command == "click") {
        int x = 0, y = 0;
        std::string kind;
        in >> x >> y >> kind;
        SetCursorPos(x, y);
        DWORD down = kind == "right" ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
        DWORD up = kind == "right" ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
        sendMouse(down);
        sendMouse(up);
        if (kind == "double") {
            sendMouse(down);
            sendMouse(up);
        }
        return "ok";
    }
    std::string handleText;
    in >> handleText;
    HWND window = parseWindow(handleText);
    if (!IsWindow(window))
        return "error not a window: " + handleText;
    if (command == "rect") {
        RECT r;
        GetWindowRect(window, &r);
        return "ok " + rectText(r);
    }
    if (command == "client") {
        RECT r;
        GetClientRect(window, &r);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return "ok " + rectText(r);
    }
    if (command == "child") {
        HWND child = findChild(window, restAfter(line, 2));
        return child != nullptr ? "ok " + hex(child) : "error no child";
    }
    if (command == "text")
        return "ok " + windowText(window);
    if (command == "visible")
        return IsWindowVisible(window) ? "ok 1" : "ok 0";
    if (command == "texts") {
        std::string texts;
        EnumChildWindows(window, collectTexts, reinterpret_cast<LPARAM>(&texts));
        return "ok " + texts;
    }
    if (command == "pid") {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        return "ok " + std::to_string(pid);
    }
    if (command == "dpi")
        return "ok " + std::to_string(GetDpiForWindow(window));
    if (command == "status") {
        int part = 0;
        in >> part;
        std::string text;
        return statusText(window, part, text) ? "ok " + text : "error no status bar";
    }
    if (command == "painted" || command == "changed") {
        DWORD ms = 0;
        unsigned long long old = 0;
        in >> ms;
        if (command == "changed") {
            std::string oldText;
            in >> oldText;
            old = strtoull(oldText.c_str(), nullptr, 16);
        }
        unsigned long long hash = 0;
        bool done = waitFor(ms, [&] { return mapPainted(window, hash) && hash != old; });
        char text[32];
        snprintf(text, sizeof(text), "%llx", hash);
        return done ? std::string("ok ") + text : std::string("error not painted ") + text;
    }
    if (command == "hash") {
        char text[32];
        snprintf(text, sizeof(text), "%llx", grab(window).hash());
        return std::string("ok ") + text;
    }
    if (command == "snap") {
        return writeBmp(grab(window), restAfter(line, 2)) ? "ok" : "error cannot write";
    }
    if (command == "command") {
        unsigned long id = 0;
        in >> id;
        return PostMessageA(window, WM_COMMAND, id, 0) ? "ok" : "error post failed";
    }
    if (command == "run") {
        unsigned long id = 0;
        DWORD ms = 0;
        in >> id >> ms;
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutA(window, WM_COMMAND, id, 0, SMTO_NORMAL, ms, &ignored)
                   ? "ok"
                   : "error command did not end in time";
    }
    if (command == "close")
        return PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? "ok" : "error post failed";
    if (command == "focus") {
        SetForegroundWindow(window);
        SetActiveWindow(window);
        return "ok";
    }
    if (command == "settext") {
        std::string text = restAfter(line, 2);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                            SMTO_ABORTIFHUNG, 2000, &ignored);
        return "ok";
    }
    if (command == "item") {
        int id = 0;
        in >> id;
        HWND item = GetDlgItem(window, id);
        return item != nullptr ? "ok " + hex(item) : "error no item";
    }
    if (command == "choose") {
        std::string text = restAfter(line, 2);
        DWORD_PTR index = 0;
        SendMessageTimeoutA(window, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 2000, &index);
        return static_cast<LRESULT>(index) != CB_ERR ? "ok" : "error no such entry";
    }
    if (command == "push") {
        HWND button = findChild(window, restAfter(line, 2));
        if (button == nullptr)
            return "error no button";
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        return "ok";
    }
    return "error unknown command " + command;
}

} // namespace

int main()
{
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line == "quit")
            break;
        if (line.empty())
            continue;
        std::string answer = run(line);
        // One answer per line: line breaks in texts travel as \r and \n.
        std::string escaped;
        for (char c : answer) {
            if (c == '\r')
                escaped += "\\r";
            else if (c == '\n')
                escaped += "\\n";
            else if (c == '\\')
                escaped += "\\\\";
            else
                escaped += c;
        }
        std::cout << escaped << std::endl;
    }
    return 0;
}
