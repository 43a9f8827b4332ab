#pragma once

#include <windows.h>

// Writes a bitmap as a PNG file through GDI+'s encoder, beside the name
// first and moved over it when complete. GDI+ must be started. Throws
// WException "PNG-Datei konnte nicht gespeichert werden." on failure.
void writePng(HBITMAP bitmap, const char* fileName);
