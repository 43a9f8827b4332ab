#include "MetafileFile.h"

#include "ScreenContext.h"
#include "WException.h"

void writeMetafile(const std::wstring& name, const RECT& frame, const wchar_t* description,
                   const std::function<void(HDC dc, HDC screen)>& draw)
{
    HENHMETAFILE metafile = nullptr;
    {
        ScreenContext screen;
        HDC dc = CreateEnhMetaFileW(screen.dc, name.c_str(), &frame, description);
        if (dc == nullptr)
            throw WException("Cannot create EMF-File.", 0);
        try {
            draw(dc, screen.dc);
        } catch (...) {
            DeleteEnhMetaFile(CloseEnhMetaFile(dc));
            throw;
        }
        // The file is written when the metafile is closed.
        metafile = CloseEnhMetaFile(dc);
    }
    if (metafile == nullptr)
        throw WException("Cannot create EMF-File.", 0);
    // Closing does not tell of a write that failed: the file must be as long
    // as its header says.
    ENHMETAHEADER header = {};
    WIN32_FILE_ATTRIBUTE_DATA file = {};
    bool complete = GetEnhMetaFileHeader(metafile, sizeof header, &header) == sizeof header &&
                    GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &file) &&
                    file.nFileSizeHigh == 0 && file.nFileSizeLow == header.nBytes;
    DeleteEnhMetaFile(metafile);
    if (!complete)
        throw WException("Cannot create EMF-File.", 0);
}
