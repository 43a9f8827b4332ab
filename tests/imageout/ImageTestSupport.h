#pragma once

#include <windows.h>

#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "DibImage.h"
#include "TempDir.h"

// Helpers shared by the image-output tests: files as bytes, palette images
// made from a seed, and the hand-off to the independent GIF decoders.

inline std::vector<unsigned char> readFileBytes(const std::string& utf8Name)
{
    std::vector<unsigned char> bytes;
    FILE* f = _wfopen(TempDir::toWide(utf8Name).c_str(), L"rb");
    if (f == nullptr)
        return bytes;
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

inline bool fileExists(const std::string& utf8Name)
{
    return GetFileAttributesW(TempDir::toWide(utf8Name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline RGBQUAD quad(int red, int green, int blue)
{
    RGBQUAD q;
    q.rgbRed = static_cast<BYTE>(red);
    q.rgbGreen = static_cast<BYTE>(green);
    q.rgbBlue = static_cast<BYTE>(blue);
    q.rgbReserved = 0;
    return q;
}

inline bool sameColour(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

// count distinct random colours.
inline std::vector<RGBQUAD> randomPalette(std::mt19937& random, unsigned int count)
{
    std::vector<RGBQUAD> colours;
    std::vector<bool> used(1 << 24, false);
    while (colours.size() < count) {
        unsigned int rgb = random() & 0xFFFFFF;
        if (used[rgb])
            continue;
        used[rgb] = true;
        colours.push_back(quad(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF));
    }
    return colours;
}

// The palette indices of a palette image, top picture line first.
inline std::vector<unsigned char> indicesTopDown(const DibImage& image)
{
    std::vector<unsigned char> indices;
    for (int y = image.getHeight() - 1; y >= 0; y--)
        for (int x = 0; x < image.getWidth(); x++)
            indices.push_back(static_cast<unsigned char>(image.getPixelIndex(x, y)));
    return indices;
}

// Empties a referee folder the first time this process writes into it, so
// that the decoders judge only this run's files and manifest: what an
// earlier run left there would otherwise pass for this run's work.
inline void startRefereeFolder(const std::string& folder)
{
    static std::set<std::string> started;
    if (!started.insert(folder).second)
        return;
    CreateDirectoryW(TempDir::toWide(folder).c_str(), nullptr);
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(TempDir::toWide(folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            DeleteFileW((TempDir::toWide(folder) + L"\\" + entry.cFileName).c_str());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}


// Writes NAME.expect, what the referees must find in NAME.gif, and adds the
// name to the folder's manifest.txt.
inline bool writeExpectation(const std::string& folder, const std::string& name,
                             const std::vector<unsigned char>& bytes)
{
    FILE* f = _wfopen(TempDir::toWide(folder + "\\" + name + ".expect").c_str(), L"wb");
    if (f == nullptr)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    written = std::fclose(f) == 0 && written;
    FILE* manifest = _wfopen(TempDir::toWide(folder + "\\manifest.txt").c_str(), L"ab");
    if (manifest == nullptr)
        return false;
    std::fprintf(manifest, "%s\n", name.c_str());
    return std::fclose(manifest) == 0 && written;
}

// Leaves name.gif (saved with the program's writer) and name.expect in
// folder for tests/imageout/gif_referees.py, which decodes the GIF with
// Pillow and ImageMagick and compares it with the expectation: a line
// "ORVEX-EXPECT width height colours", the palette as red, green, blue
// bytes, then the indices, top line first. The name goes into the folder's
// manifest.txt, so that a missing file is noticed. False if saving fails.
inline bool saveForReferees(DibImage& image, const std::string& folder, const std::string& name)
{
    startRefereeFolder(folder);
    if (!image.save((folder + "\\" + name + ".gif").c_str(), DibImage::FORMAT_GIF))
        return false;
    std::string header = "ORVEX-EXPECT " + std::to_string(image.getWidth()) + " " +
                         std::to_string(image.getHeight()) + " " +
                         std::to_string(image.getClrUsed()) + "\n";
    std::vector<unsigned char> bytes(header.begin(), header.end());
    for (unsigned int i = 0; i < image.getClrUsed(); i++) {
        bytes.push_back(image.getPalette()[i].rgbRed);
        bytes.push_back(image.getPalette()[i].rgbGreen);
        bytes.push_back(image.getPalette()[i].rgbBlue);
    }
    std::vector<unsigned char> indices = indicesTopDown(image);
    bytes.insert(bytes.end(), indices.begin(), indices.end());
    return writeExpectation(folder, name, bytes);
}
