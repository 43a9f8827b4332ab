// The limits of what the user can ask for, with the application hosted in
// the test process: the years the load dialog and the arrow keys reach, and
// a command that runs out of memory.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "ApplicationTestSupport.h"
#include "DialogIds.h"
#include "OrvexVisualizer.h"
#include "ProgramIds.h"

namespace {

// Chooses the small data set ABS1960_91, year and month in "Datensatz
// laden" and presses OK, as the user does. Message boxes are answered, and
// after a range message the dialog is cancelled. The last message's text,
// empty when none came.
std::string loadThroughDialog(HWND window, const char* year, const char* month)
{
    std::string message;
    std::atomic<bool> finished{false};
    std::thread user([&] {
        HWND dialog = waitForWindow("#32770", "Datensatz laden");
        if (dialog == nullptr)
            return;
        SendDlgItemMessageA(dialog, IDC_LOAD_DATA_SET, CB_SETCURSEL, 2, 0);
        SetDlgItemTextA(dialog, IDC_LOAD_YEAR, year);
        SetDlgItemTextA(dialog, IDC_LOAD_MONTH, month);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        while (!finished) {
            for (const char* caption : {"Information", "Error"}) {
                HWND box = FindWindowA("#32770", caption);
                if (box == nullptr || !IsWindowVisible(box))
                    continue;
                message = longestChildText(box);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                while (IsWindow(box))
                    Sleep(5);
                if (IsWindow(dialog))
                    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }
            Sleep(10);
        }
    });
    SendMessageA(window, WM_COMMAND, CMD_LOAD_DATA_SET, 0);
    finished = true;
    user.join();
    return message;
}

} // namespace

// Years run from 1850 to 9999: the dialog refuses others with a message,
// and the arrow keys stop at both ends. Year 4294967295 once passed the
// dialog, and the Up arrow then wrapped it to 0.
TEST(ApplicationLimitsTest, TheDialogAndTheKeysKeepTheYearInRange)
{
    prepareFolder("", "");
    CreateDirectoryA("data", nullptr);
    CreateDirectoryA("data/cru", nullptr);
    CopyFileA((std::string(ORVEX_RUN_DIR) + "/data/cru/abstem3.dat").c_str(),
              "data/cru/abstem3.dat", FALSE);
    OrvexVisualizer application;
    application.createMainWindow(nullptr);
    ASSERT_TRUE(application.isStartedUp());
    HWND window = application;
    const OrvexDatabase& database = application.getMap().database;
    const int dialog = CMD_LOAD_DATA_SET;
    struct Step {
        const char* label;
        int command;
        const char* year; // typed into the dialog
        const char* month;
        const char* message;
        unsigned int yearAfter;
        unsigned int monthAfter;
    } steps[] = {
        {"the largest number", dialog, "4294967295", "6", "Jahr bis 9999 möglich.", 1990, 6},
        {"one past the last year", dialog, "10000", "6", "Jahr bis 9999 möglich.", 1990, 6},
        {"one before the first year", dialog, "1849", "6", "Jahr ab 1850 möglich.", 1990, 6},
        {"the last month", dialog, "9999", "12", "", 9999, 12},
        {"Up in the last year", CMD_NEXT_YEAR, nullptr, nullptr, "", 9999, 12},
        {"Right in the last month", CMD_NEXT_MONTH, nullptr, nullptr, "", 9999, 12},
        {"Left", CMD_PREVIOUS_MONTH, nullptr, nullptr, "", 9999, 11},
        {"Right back", CMD_NEXT_MONTH, nullptr, nullptr, "", 9999, 12},
        {"Down", CMD_PREVIOUS_YEAR, nullptr, nullptr, "", 9998, 12},
        {"Up", CMD_NEXT_YEAR, nullptr, nullptr, "", 9999, 12},
        {"the first month", dialog, "1850", "1", "", 1850, 1},
        {"Down in the first year", CMD_PREVIOUS_YEAR, nullptr, nullptr, "", 1850, 1},
        {"Left in the first month", CMD_PREVIOUS_MONTH, nullptr, nullptr, "", 1850, 1},
        {"Up from the first year", CMD_NEXT_YEAR, nullptr, nullptr, "", 1851, 1},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.label);
        std::string message;
        if (step.command == dialog)
            message = loadThroughDialog(window, step.year, step.month);
        else
            SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(step.command), 0);
        EXPECT_EQ(step.message, message);
        EXPECT_EQ(step.yearAfter, database.getYear());
        EXPECT_EQ(step.monthAfter, database.getMonth());
    }
}

namespace {

// Makes the C++ runtime's allocations fail on one thread, as they fail when
// memory runs out: while this object lives, the runtime's import of malloc
// leads to a function that refuses that thread. operator new then throws
// std::bad_alloc.
class FailingAllocations {
public:
    FailingAllocations() : slot(importSlot(GetModuleHandleA("libstdc++-6.dll"), "malloc"))
    {
        if (slot != nullptr) {
            realMalloc = reinterpret_cast<Malloc>(*slot);
            patch(reinterpret_cast<void*>(&failingMalloc));
        }
    }
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
    ~FailingAllocations()
    {
        if (slot != nullptr)
            patch(reinterpret_cast<void*>(realMalloc));
    }

    bool isReady() const { return slot != nullptr; }
    // 0: no thread.
    void failOn(DWORD threadId) { failingThread = threadId; }

private:
    typedef void* (*Malloc)(size_t);

    static void* failingMalloc(size_t size)
    {
        return GetCurrentThreadId() == failingThread ? nullptr : realMalloc(size);
    }

    // The import address table entry through which the module calls the
    // function; null when it imports no function of that name.
    static void** importSlot(HMODULE module, const char* function)
    {
        if (module == nullptr)
            return nullptr;
        BYTE* base = reinterpret_cast<BYTE*>(module);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             library->Name != 0; ++library) {
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0)
                    return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
        return nullptr;
    }

    void patch(void* target)
    {
        DWORD old = 0;
        VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old);
        *slot = target;
        VirtualProtect(slot, sizeof(*slot), old, &old);
    }

    static std::atomic<DWORD> failingThread;
    static Malloc realMalloc;
    void** slot;
};

std::atomic<DWORD> FailingAllocations::failingThread{0};
FailingAllocations::Malloc FailingAllocations::realMalloc = nullptr;

} // namespace

// Memory that runs out while the map is saved as a metafile is reported as
// the worker reports it, and the program goes on; the failure once went
// unreported past the command's handler.
TEST(ApplicationLimitsTest, OutOfMemoryInTheMetafileCommandIsReported)
{
    prepareFolder("", "");
    OrvexVisualizer application;
    application.createMainWindow(nullptr);
    ASSERT_TRUE(application.isStartedUp());
    HWND window = application;
    FailingAllocations allocations;
    ASSERT_TRUE(allocations.isReady()) << "the C++ runtime imports malloc";

    DWORD windowThread = GetCurrentThreadId();
    std::string reported;
    std::thread user([&] {
        HWND save = waitForWindow("#32770", "Als EMF speichern");
        SetWindowTextA(firstEdit(save), "karte_ohne_speicher.emf");
        allocations.failOn(windowThread);
        PostMessageA(save, WM_COMMAND, IDOK, 0);
        HWND error = waitForWindow("#32770", "Error");
        allocations.failOn(0);
        if (error != nullptr) {
            reported = longestChildText(error);
            PostMessageA(error, WM_COMMAND, IDOK, 0);
        }
    });
    SendMessageA(window, WM_COMMAND, CMD_SAVE_EMF, 0);
    user.join();
    EXPECT_NE(std::string::npos, reported.find("bad_alloc")) << reported;
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("karte_ohne_speicher.emf"));

    SendMessageA(window, WM_COMMAND, CMD_NEXT_MONTH, 0);
    EXPECT_EQ(7u, application.getMap().database.getMonth()) << "the program goes on";
}
