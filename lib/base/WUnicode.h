#pragma once

#include "WString.h"

// Conversions between the library's UTF-8 file names and the system's UTF-16.
// Internal to the library.
namespace WUnicode {
// False when text is not valid UTF-8 or does not fit into capacity units
// (terminator included); out is then an empty string.
bool toWide(const char* text, wchar_t* out, int capacity);
void toUtf8(const wchar_t* text, WString& out);
}
