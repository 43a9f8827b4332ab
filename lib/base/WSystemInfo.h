#pragma once

#include <windows.h>

#include "WExport.h"
#include "WFont.h"
#include "WHashtable.h"
#include "WString.h"
#include "WTimeZone.h"

// One display device as the system enumerates it.
class QUARN2_API WDisplayDevice {
public:
    WDisplayDevice();
    WDisplayDevice(const char* name, const char* description, unsigned long stateFlags);
    WDisplayDevice(const WDisplayDevice& other) = default;
    WDisplayDevice& operator=(const WDisplayDevice& other) = default;

    // The device name, e.g. "\\.\DISPLAY1".
    const WString& getName() const { return name; }
    const WString& getDescription() const { return description; }
    unsigned long getStateFlags() const { return stateFlags; }
    bool isPrimary() const { return (stateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0; }

private:
    WString name;
    WString description;
    unsigned long stateFlags;
};

// The process-wide facts that library start-up records.
class QUARN2_API WSystemInfo {
public:
    typedef WHashtable<WString, WDisplayDevice, const char*, const WDisplayDevice&> DisplayDevices;

    WSystemInfo();
    WSystemInfo(const WSystemInfo&) = delete;
    WSystemInfo& operator=(const WSystemInfo&) = delete;

    HINSTANCE getInstance() const { return instance; }
    const WString& getCommandLine() const { return commandLine; }
    // The application name given to start-up; also the window-class name.
    const WString& getProgramName() const { return programName; }
    const WString& getProgramDirectory() const { return programDirectory; }
    // Full path of the executable.
    const WString& getProgramFilename() const { return programFilename; }
    const WTimeZone& getLocalTimeZone() const { return localTimeZone; }
    const WDisplayDevice& getPrimaryDisplayDevice() const { return primaryDisplayDevice; }
    // Keyed by device name, in the system's order.
    DisplayDevices& getDisplayDevices() { return displayDevices; }
    // "MS Sans Serif", 8 points, once start-up has run.
    const WFont& getDefaultFont() const { return defaultFont; }
    // The cursor every library window shows; null = no override.
    HCURSOR getCurrentCursorHandle() const { return currentCursor; }

private:
    friend class WSystem;

    HINSTANCE instance;
    WString commandLine;
    WString programName;
    WString programDirectory;
    WString programFilename;
    WTimeZone localTimeZone;
    WDisplayDevice primaryDisplayDevice;
    DisplayDevices displayDevices;
    WFont defaultFont;
    HCURSOR currentCursor;
    bool cursorShown;
};
