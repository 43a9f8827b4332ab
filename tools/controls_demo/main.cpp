// Shows a dialog with every control family of the library.
//
//   controls_demo.exe [--close-after MS] [--ready-file NAME]
//
// --close-after ends the demonstration after MS milliseconds; --ready-file
// writes the file NAME once the dialog has been on the screen for a moment,
// so that a script knows when to take a screenshot.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ControlsDemo.h"
#include "WException.h"
#include "WStringTokenizer.h"
#include "WSystem.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    unsigned long closeAfterMs = 0;
    WString readyFile;
    WStringTokenizer arguments(commandLine, " ", true);
    while (arguments.hasMoreElements()) {
        WString argument = arguments.nextValue();
        if (argument.equals("--close-after") && arguments.hasMoreElements())
            closeAfterMs = std::strtoul(arguments.nextValue(), nullptr, 10);
        else if (argument.equals("--ready-file") && arguments.hasMoreElements())
            readyFile = arguments.nextValue();
    }
    int code = 0;
    try {
        WSystem::startup("ControlsDemo", instance, previous, commandLine, show);
        ControlsDemo demo(closeAfterMs, readyFile);
        demo.show(true);
    } catch (const WException& e) {
        std::fprintf(stderr, "%s\n", static_cast<const char*>(e.toString()));
        code = 1;
    }
    WSystem::shutdown();
    return code;
}
