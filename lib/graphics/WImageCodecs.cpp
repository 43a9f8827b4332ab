#include "WImageCodecs.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cwchar>

#include "WException.h"
#include "WMemory.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {
ULONG_PTR token = 0;
CLSID jpegEncoder = {};
CLSID gifEncoder = {};

void findEncoders()
{
    UINT count = 0;
    UINT size = 0;
    if (GdipGetImageEncodersSize(&count, &size) != Ok || count == 0 || size == 0)
        return;
    ImageCodecInfo* codecs = static_cast<ImageCodecInfo*>(WMemory::allocMemory(size));
    if (GdipGetImageEncoders(count, size, codecs) == Ok) {
        for (UINT i = 0; i < count; ++i) {
            if (codecs[i].MimeType == nullptr)
                continue;
            if (std::wcscmp(codecs[i].MimeType, L"image/jpeg") == 0)
                jpegEncoder = codecs[i].Clsid;
            else if (std::wcscmp(codecs[i].MimeType, L"image/gif") == 0)
                gifEncoder = codecs[i].Clsid;
        }
    }
    WMemory::freeMemory(codecs);
}
}

void WImageCodecs::startup()
{
    if (token != 0)
        return;
    GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    ULONG_PTR started = 0;
    if (GdiplusStartup(&started, &input, nullptr) != Ok || started == 0)
        throw WSystemException("Cannot initialize GDI+ library.", -1);
    token = started;
    findEncoders();
}

void WImageCodecs::shutdown()
{
    if (token == 0)
        return;
    GdiplusShutdown(token);
    token = 0;
    jpegEncoder = CLSID{};
    gifEncoder = CLSID{};
}

const CLSID& WImageCodecs::getJpegEncoder()
{
    return jpegEncoder;
}

const CLSID& WImageCodecs::getGifEncoder()
{
    return gifEncoder;
}
