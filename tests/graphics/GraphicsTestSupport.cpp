#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "WBitmap.h"
#include "WImageCodecs.h"

namespace {
// The codecs start once for the whole run, as library start-up does.
class CodecEnvironment : public ::testing::Environment {
public:
    void SetUp() override { WImageCodecs::startup(); }
    void TearDown() override { WImageCodecs::shutdown(); }
};
[[maybe_unused]] const auto* codecEnvironment =
    ::testing::AddGlobalTestEnvironment(new CodecEnvironment);

void removeTree(const std::string& dir)
{
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string full = dir + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    RemoveDirectoryA(dir.c_str());
}

// An 8-bit bottom-up DIB section; pixel (x, y) gets index (x + y) % colours.size().
HBITMAP makeIndexedBitmap(int width, int height, const std::vector<RGBQUAD>& colours)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD table[256];
    } info = {};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biClrUsed = static_cast<DWORD>(colours.size());
    for (size_t i = 0; i < colours.size(); ++i)
        info.table[i] = colours[i];
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                      &bits, nullptr, 0);
    if (bitmap == nullptr)
        return nullptr;
    int stride = (width + 3) & ~3;
    unsigned char* rows = static_cast<unsigned char*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            rows[(height - 1 - y) * stride + x] =
                static_cast<unsigned char>((x + y) % colours.size());
    return bitmap;
}
}

ScratchDir::ScratchDir()
{
    static unsigned counter = 0;
    char base[MAX_PATH + 1];
    GetTempPathA(MAX_PATH + 1, base);
    dir = std::string(base) + "graphicstest_" + std::to_string(GetCurrentProcessId()) + "_" +
          std::to_string(++counter);
    CreateDirectoryA(dir.c_str(), nullptr);
}

ScratchDir::~ScratchDir()
{
    removeTree(dir);
}

CurrentDirectory::CurrentDirectory(const std::string& dir)
{
    char here[MAX_PATH + 1];
    GetCurrentDirectoryA(MAX_PATH + 1, here);
    previous = here;
    SetCurrentDirectoryA(dir.c_str());
}

CurrentDirectory::~CurrentDirectory()
{
    SetCurrentDirectoryA(previous.c_str());
}

HBITMAP makeScreenBitmap(int width, int height, COLORREF left, COLORREF right)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT leftHalf = {0, 0, width / 2, height};
    RECT rightHalf = {width / 2, 0, width, height};
    HBRUSH leftBrush = CreateSolidBrush(left);
    HBRUSH rightBrush = CreateSolidBrush(right);
    FillRect(dc, &leftHalf, leftBrush);
    FillRect(dc, &rightHalf, rightBrush);
    DeleteObject(leftBrush);
    DeleteObject(rightBrush);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

void createScreenPicture(WBitmap& bitmap, int width, int height, COLORREF left, COLORREF right)
{
    HBITMAP handle = makeScreenBitmap(width, height, left, right);
    bitmap.create(handle, nullptr);
    DeleteObject(handle);
}

void createIndexedPicture(WBitmap& bitmap, int width, int height,
                          const std::vector<RGBQUAD>& colours)
{
    HBITMAP handle = makeIndexedBitmap(width, height, colours);
    bitmap.create(handle, nullptr);
    DeleteObject(handle);
}

std::vector<unsigned char> readBytes(const std::string& name)
{
    std::vector<unsigned char> bytes;
    FILE* file = std::fopen(name.c_str(), "rb");
    if (file == nullptr)
        return bytes;
    unsigned char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(file);
    return bytes;
}

void writeBytes(const std::string& name, const std::vector<unsigned char>& bytes)
{
    FILE* file = std::fopen(name.c_str(), "wb");
    ASSERT_NE(file, nullptr) << name;
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

bool fileExists(const std::string& name)
{
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool colourNear(unsigned long actual, COLORREF expected, int tolerance)
{
    return std::abs(static_cast<int>(GetRValue(actual)) - GetRValue(expected)) <= tolerance &&
           std::abs(static_cast<int>(GetGValue(actual)) - GetGValue(expected)) <= tolerance &&
           std::abs(static_cast<int>(GetBValue(actual)) - GetBValue(expected)) <= tolerance;
}

std::string hex(unsigned long value)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", value);
    return text;
}

bool runningOnWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
