// The message loop with accelerators and dialog keyboard handling, and the
// registry of open dialogs it serves.

#include "WHashtable.h"
#include "WMutex.h"
#include "WSystem.h"

namespace {
// Open dialog windows in the order they were registered. Every change bumps
// the generation, so the loop notices a dialog replaced by another one too.
struct DialogRegistry {
    WHashtable<HWND, HWND, HWND, HWND> dialogs{10};
    unsigned long generation = 0;
};

DialogRegistry& registry()
{
    static DialogRegistry dialogs;
    return dialogs;
}

// The main window, then at most 15 registered dialogs: the windows that get
// accelerators and dialog keyboard handling.
const unsigned int maxKeyboardWindows = 16;

unsigned int listKeyboardWindows(HWND mainWindow, HWND* windows, unsigned long& generation)
{
    WMutexLocker lock(WSystem::getGlobalMutex());
    DialogRegistry& open = registry();
    unsigned int count = 0;
    if (mainWindow != nullptr)
        windows[count++] = mainWindow;
    open.dialogs.reset();
    while (count < maxKeyboardWindows && open.dialogs.hasMoreElements())
        windows[count++] = open.dialogs.nextValue();
    open.dialogs.reset();
    generation = open.generation;
    return count;
}

unsigned long currentGeneration()
{
    WMutexLocker lock(WSystem::getGlobalMutex());
    return registry().generation;
}
}

void WSystem::addDialogWindow(HWND dialog)
{
    WMutexLocker lock(getGlobalMutex());
    registry().dialogs.put(dialog, dialog);
    ++registry().generation;
}

void WSystem::removeDialogWindow(HWND dialog)
{
    WMutexLocker lock(getGlobalMutex());
    if (registry().dialogs.remove(dialog))
        ++registry().generation;
}

bool WSystem::isDialogWindow(HWND window)
{
    WMutexLocker lock(getGlobalMutex());
    return window != nullptr && registry().dialogs.containsKey(window);
}

int WSystem::messageLoop(HWND mainWindow, unsigned long acceleratorId)
{
    HACCEL accelerators = nullptr;
    if (acceleratorId != 0)
        accelerators = LoadAcceleratorsA(getInstance(), MAKEINTRESOURCEA(acceleratorId));

    HWND windows[maxKeyboardWindows];
    unsigned long generation = 0;
    unsigned int count = listKeyboardWindows(mainWindow, windows, generation);

    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
        if (currentGeneration() != generation)
            count = listKeyboardWindows(mainWindow, windows, generation);
        bool taken = false;
        for (unsigned int i = 0; i < count && !taken; ++i) {
            taken = (accelerators != nullptr &&
                     TranslateAcceleratorA(windows[i], accelerators, &message) != 0) ||
                    IsDialogMessageA(windows[i], &message) != 0;
        }
        if (!taken) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    // The quit message's code; -1 when the queue could not be read.
    return got == 0 ? static_cast<int>(message.wParam) : -1;
}
