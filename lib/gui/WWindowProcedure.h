#pragma once

#include <windows.h>

// The window procedure shared by every window and dialog of the library.
// Internal to the library.
namespace WWindowProcedure {
// For windows of the application's window class.
LRESULT CALLBACK forWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// For dialogs made from templates; lParam of the initialisation is a
// WWindow::CreationRecord.
INT_PTR CALLBACK forDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Stops dispatching to the window's handler without calling it.
void detach(HWND hwnd);
}
