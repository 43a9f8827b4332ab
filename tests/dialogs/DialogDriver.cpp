#include "DialogDriver.h"

#include <memory>

#include "WControlEdit.h"
#include "WControlManager.h"
#include "WSystem.h"

namespace {

DialogDriver* activeDriver = nullptr;
const DWORD giveUpMs = 10000;

std::string classOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string textOf(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct BoxContent {
    std::string text;
    HICON icon = nullptr;
};

BOOL CALLBACK readBoxChild(HWND child, LPARAM data)
{
    BoxContent* content = reinterpret_cast<BoxContent*>(data);
    if (classOf(child) != "Static")
        return TRUE;
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        content->icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    } else {
        std::string text = textOf(child);
        if (text.size() > content->text.size())
            content->text = text;
    }
    return TRUE;
}

struct DialogSearch {
    HWND found = nullptr;
};

BOOL CALLBACK findLibraryDialog(HWND window, LPARAM data)
{
    if (IsWindowVisible(window) && WSystem::isDialogWindow(window))
        reinterpret_cast<DialogSearch*>(data)->found = window;
    return TRUE;
}

} // namespace

DialogDriver::DialogDriver()
    : next(0), hook(nullptr), timer(0), openBoxes(0), busy(false), lastProgress(0)
{
    activeDriver = this;
    hook = SetWindowsHookExA(WH_CBT, hookProcedure, nullptr, GetCurrentThreadId());
}

DialogDriver::~DialogDriver()
{
    if (timer != 0)
        KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    activeDriver = nullptr;
}

DialogDriver& DialogDriver::then(const Step& step)
{
    steps.push_back(step);
    return *this;
}

DialogDriver& DialogDriver::act(const std::function<void(HWND)>& action)
{
    return then([action](HWND dialog) {
        action(dialog);
        return true;
    });
}

DialogDriver& DialogDriver::type(int id, const std::string& text)
{
    return act([id, text](HWND dialog) {
        HWND edit = GetDlgItem(dialog, id);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SendMessageA(edit, WM_CHAR, VK_BACK, 0);
        for (unsigned char c : text)
            SendMessageA(edit, WM_CHAR, c, 0);
    });
}

DialogDriver& DialogDriver::press(int id)
{
    return act([id](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    });
}

DialogDriver& DialogDriver::key(int virtualKey)
{
    return act([virtualKey](HWND dialog) {
        HWND focus = GetFocus();
        HWND target = focus != nullptr ? focus : dialog;
        PostMessageA(target, WM_KEYDOWN, virtualKey, 1);
        PostMessageA(target, WM_KEYUP, virtualKey, 0xC0000001);
    });
}

DialogDriver& DialogDriver::closeBox()
{
    return act([](HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
}

DialogDriver& DialogDriver::choose(int comboId, int index)
{
    return act([comboId, index](HWND dialog) {
        SendDlgItemMessageA(dialog, comboId, CB_SETCURSEL, index, 0);
    });
}

DialogDriver& DialogDriver::check(int id, bool checked)
{
    return act([id, checked](HWND dialog) {
        CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
    });
}

DialogDriver& DialogDriver::waitUntil(const std::function<bool()>& done)
{
    std::shared_ptr<DWORD> since = std::make_shared<DWORD>(0);
    return then([done, since](HWND) {
        if (*since == 0)
            *since = GetTickCount();
        return done() || GetTickCount() - *since > giveUpMs;
    });
}

int DialogDriver::run(const std::function<int()>& show)
{
    lastProgress = GetTickCount();
    timer = SetTimer(nullptr, 0, 20, timerProcedure);
    int result = show();
    KillTimer(nullptr, timer);
    timer = 0;
    return result;
}

std::vector<std::string> DialogDriver::texts() const
{
    std::vector<std::string> result;
    for (const Message& message : messages)
        result.push_back(message.text);
    return result;
}

HWND DialogDriver::findDialog() const
{
    DialogSearch search;
    EnumThreadWindows(GetCurrentThreadId(), findLibraryDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CALLBACK DialogDriver::timerProcedure(HWND, UINT, UINT_PTR, DWORD)
{
    if (activeDriver != nullptr)
        activeDriver->tick();
}

void DialogDriver::tick()
{
    if (busy || openBoxes > 0)
        return;
    HWND dialog = findDialog();
    if (dialog == nullptr)
        return;
    busy = true;
    if (next < steps.size()) {
        if (steps[next](dialog)) {
            ++next;
            lastProgress = GetTickCount();
        }
    } else if (GetTickCount() - lastProgress > giveUpMs) {
        EndDialog(dialog, -99);
    }
    busy = false;
}

void DialogDriver::answer(HWND box)
{
    BoxContent content;
    EnumChildWindows(box, readBoxChild, reinterpret_cast<LPARAM>(&content));
    Message message;
    message.caption = textOf(box);
    message.text = content.text;
    message.information =
        content.icon != nullptr && content.icon == LoadIconA(nullptr, IDI_INFORMATION);
    messages.push_back(message);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

LRESULT CALLBACK DialogDriver::hookProcedure(int code, WPARAM wParam, LPARAM lParam)
{
    DialogDriver* driver = activeDriver;
    if (driver != nullptr && code >= 0) {
        HWND window = reinterpret_cast<HWND>(wParam);
        bool box = classOf(window) == "#32770" && !WSystem::isDialogWindow(window);
        if (code == HCBT_ACTIVATE && box && GetPropA(window, "DialogDriverSeen") == nullptr) {
            SetPropA(window, "DialogDriverSeen", reinterpret_cast<HANDLE>(1));
            ++driver->openBoxes;
            driver->answer(window);
        } else if (code == HCBT_DESTROYWND && box &&
                   GetPropA(window, "DialogDriverSeen") != nullptr) {
            RemovePropA(window, "DialogDriverSeen");
            --driver->openBoxes;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string controlText(HWND dialog, int id)
{
    return textOf(GetDlgItem(dialog, id));
}

unsigned long editBackground(HWND dialog, int id)
{
    WControlEdit* edit =
        dynamic_cast<WControlEdit*>(WControlManager::getControl(GetDlgItem(dialog, id)));
    return edit != nullptr ? edit->getBackColor() : 0xFFFFFFFF;
}
