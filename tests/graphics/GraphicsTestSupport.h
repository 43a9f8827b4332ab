#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "WException.h"

class WBitmap;

// Shared helpers of the graphics tests: a scratch directory, pictures drawn
// with GDI, raw file access and a few colour checks.

// A fresh directory under the temp path, removed with its files at the end.
class ScratchDir {
public:
    ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir();

    const std::string& path() const { return dir; }
    std::string file(const std::string& name) const { return dir + "\\" + name; }

private:
    std::string dir;
};

// Makes a directory current for a scope (names beginning with "$" are
// relative ones).
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir);
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;
    ~CurrentDirectory();

private:
    std::string previous;
};

// A screen-compatible bitmap (the kind the program renders into), filled
// with `left` on its left half and `right` on its right half.
HBITMAP makeScreenBitmap(int width, int height, COLORREF left, COLORREF right);
// Fills bitmap from such a picture and delete the handle at once, as the
// renderer does.
void createScreenPicture(WBitmap& bitmap, int width, int height, COLORREF left, COLORREF right);
// Fills bitmap from an 8-bit DIB section with the given colour table; pixel
// (x, y) gets index (x + y) % colours.size().
void createIndexedPicture(WBitmap& bitmap, int width, int height,
                          const std::vector<RGBQUAD>& colours);

// Runs body and returns the message of the Failure it throws.
template <typename Failure = WException, typename Body>
std::string thrownMessage(Body body)
{
    try {
        body();
    } catch (const Failure& e) {
        return static_cast<const char*>(e.getMessage());
    }
    return "(nothing thrown)";
}

std::vector<unsigned char> readBytes(const std::string& name);
void writeBytes(const std::string& name, const std::vector<unsigned char>& bytes);
bool fileExists(const std::string& name);

// True when each of red, green and blue differs by at most tolerance.
bool colourNear(unsigned long actual, COLORREF expected, int tolerance);
std::string hex(unsigned long value);

bool runningOnWine();
