// The program's entry: starts the library, makes the application with its
// main window and runs the message loop until the window has closed.
#include <windows.h>

#include "OrvexVisualizer.h"
#include "ProgramIds.h"
#include "WException.h"
#include "WSystem.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    OrvexVisualizer* application = nullptr;
    try {
        WSystem::startup("OrvexVisualizer", instance, previous, commandLine, show);
        application = new OrvexVisualizer();
        application->createMainWindow(nullptr);
        application->setIcon(IDI_PROGRAM);
        int code = WSystem::messageLoop(*application, IDR_ACCELERATORS);
        delete application;
        return code;
    } catch (const WException&) {
        delete application;
        try {
            WSystem::shutdown();
        } catch (const WException&) {
            // Nothing more to report while ending.
        }
        // A start-up that failed is a failure, not a success.
        return 1;
    }
}
