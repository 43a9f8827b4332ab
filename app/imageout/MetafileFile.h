#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Writes an Enhanced Metafile file made against the screen, with the frame
// (0.01 mm) and the description given: draw gets the metafile's device
// context and the screen's (the reference the metafile's units are pixels
// of). A failure, a write that fell short (a full disk) among them, throws
// "Cannot create EMF-File."; what draw throws passes on, the metafile
// closed.
void writeMetafile(const std::wstring& name, const RECT& frame, const wchar_t* description,
                   const std::function<void(HDC dc, HDC screen)>& draw);
