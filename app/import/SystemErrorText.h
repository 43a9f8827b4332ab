#pragma once

#include <windows.h>

#include <string>

// The reason a Windows file operation failed, for the importer's messages.
// The common reasons are worded as the C library words them (as the Python
// importer prints them), with a German translation; any other is the
// system's own message, as Python shows it (trailing dots and line end
// removed), in the system's language for both.
struct SystemErrorText {
    std::string english;
    std::string german;
};

SystemErrorText systemErrorText(DWORD error);

// Whether the error is one Python reports as a PermissionError.
bool isPermissionError(DWORD error);
