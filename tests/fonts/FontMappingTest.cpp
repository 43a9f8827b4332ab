// The fonts the program names, as Wine renders them in the prefix the Wine
// wrapper sets up: "Arial" and "Times New Roman" must come out in the
// metric-compatible Liberation faces, "MS Sans Serif" (the dialog font) in
// Wine's bitmap face with the Windows metrics, and Windows-1252 texts as
// their own characters. The last test leaves font-sample.bmp in its work
// folder: the texts in the three fonts, for a person to look at.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "WFont.h"

namespace {

// A 32-bit top-down DIB section with a memory device context on it.
class Canvas {
public:
    Canvas(int width, int height) : width(width), height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<DWORD*>(bits);
        previous = SelectObject(dc, bitmap);
        SetBkMode(dc, TRANSPARENT);
        clear();
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }

    HDC context() const { return dc; }

    void clear()
    {
        GdiFlush();
        std::fill(pixels, pixels + width * height, 0x00FFFFFF);
    }

    void text(HFONT font, int x, int y, const char* text)
    {
        HGDIOBJ old = SelectObject(dc, font);
        TextOutA(dc, x, y, text, static_cast<int>(strlen(text)));
        SelectObject(dc, old);
        GdiFlush();
    }

    std::vector<DWORD> snapshot() const { return {pixels, pixels + width * height}; }

    // Writes the picture as a 24-bit BMP file.
    bool save(const char* name) const
    {
        const int stride = (width * 3 + 3) / 4 * 4;
        BITMAPFILEHEADER file = {};
        BITMAPINFOHEADER header = {};
        header.biSize = sizeof(header);
        header.biWidth = width;
        header.biHeight = -height;
        header.biPlanes = 1;
        header.biBitCount = 24;
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(header);
        file.bfSize = file.bfOffBits + stride * height;
        FILE* out = std::fopen(name, "wb");
        if (out == nullptr)
            return false;
        std::fwrite(&file, sizeof(file), 1, out);
        std::fwrite(&header, sizeof(header), 1, out);
        std::vector<unsigned char> row(stride);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                DWORD pixel = pixels[y * width + x];
                row[x * 3] = pixel & 0xFF;
                row[x * 3 + 1] = (pixel >> 8) & 0xFF;
                row[x * 3 + 2] = (pixel >> 16) & 0xFF;
            }
            std::fwrite(row.data(), 1, row.size(), out);
        }
        return std::fclose(out) == 0;
    }

private:
    int width;
    int height;
    HDC dc;
    HBITMAP bitmap;
    DWORD* pixels;
    HGDIOBJ previous;
};

// A font selected into a context for the scope of one check.
class Selected {
public:
    Selected(HDC dc, HFONT font) : dc(dc), previous(SelectObject(dc, font)) {}
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;
    ~Selected() { SelectObject(dc, previous); }

private:
    HDC dc;
    HGDIOBJ previous;
};

std::string textFace(HDC dc)
{
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, face);
    return face;
}

// The family name (name id 1, Windows platform) of the font file that is
// really drawing, read from its "name" table; empty for a bitmap font.
std::string fileFamily(HDC dc)
{
    const DWORD nameTable = 'n' | 'a' << 8 | 'm' << 16 | 'e' << 24;
    DWORD size = GetFontData(dc, nameTable, 0, nullptr, 0);
    if (size == GDI_ERROR || size < 6)
        return "";
    std::vector<unsigned char> table(size);
    GetFontData(dc, nameTable, 0, table.data(), size);
    auto word = [&](size_t at) { return at + 1 < size ? table[at] << 8 | table[at + 1] : 0; };
    const int count = word(2);
    const size_t strings = word(4);
    for (int i = 0; i < count; ++i) {
        const size_t record = 6 + 12 * static_cast<size_t>(i);
        if (word(record) != 3 || word(record + 6) != 1)
            continue;
        std::string family;
        const size_t start = strings + word(record + 10);
        for (size_t k = 0; k + 1 < static_cast<size_t>(word(record + 8)); k += 2)
            family += static_cast<char>(word(start + k));
        return family;
    }
    return "";
}

// A font of the face with an em of 2048 pixels: its advance widths are then
// the font's design units, the same for a face and a metric-compatible one.
HFONT designSizeFont(const char* face)
{
    LOGFONTA logical = {};
    logical.lfHeight = -2048;
    logical.lfWeight = FW_NORMAL;
    logical.lfCharSet = DEFAULT_CHARSET;
    strcpy(logical.lfFaceName, face);
    return CreateFontIndirectA(&logical);
}

struct WindowsFace {
    const char* face;
    unsigned long points;  // as the map draws with it
    const char* family;
    // Advance widths of ' ', 'a', 'i', 'm', 'W' in the Windows face, in
    // units of a 2048 em.
    int widths[5];
};

const WindowsFace windowsFaces[] = {
    {"Arial", 8, "Liberation Sans", {569, 1139, 455, 1706, 1933}},
    {"Times New Roman", 12, "Liberation Serif", {512, 909, 569, 1593, 1933}},
};

const char* const germanTexts[] = {"Mär", "°C", "Süd", "schließen", "Öffnen", "Größe"};
const wchar_t* const germanUnicode[] = {L"Mär", L"°C", L"Süd", L"schließen", L"Öffnen", L"Größe"};

}  // namespace

TEST(FontMappingTest, ArialAndTimesRenderInLiberationWithTheWindowsWidths)
{
    Canvas canvas(8, 8);
    for (const WindowsFace& expected : windowsFaces) {
        SCOPED_TRACE(expected.face);
        WFont font(expected.face, expected.points, 0, 400, 0);
        {
            Selected selected(canvas.context(), font);
            EXPECT_EQ(expected.face, textFace(canvas.context()));
            EXPECT_EQ(expected.family, fileFamily(canvas.context()));
            TEXTMETRICA metrics = {};
            ASSERT_TRUE(GetTextMetricsA(canvas.context(), &metrics));
            EXPECT_TRUE(metrics.tmPitchAndFamily & TMPF_TRUETYPE);
        }
        HFONT large = designSizeFont(expected.face);
        ASSERT_NE(nullptr, large);
        {
            Selected selected(canvas.context(), large);
            const char characters[] = " aimW";
            for (int i = 0; i < 5; ++i) {
                INT width = 0;
                ASSERT_TRUE(GetCharWidth32A(canvas.context(), characters[i], characters[i], &width));
                EXPECT_EQ(expected.widths[i], width) << "character '" << characters[i] << "'";
            }
        }
        DeleteObject(large);
    }
}

TEST(FontMappingTest, DialogFontHasTheWindowsMetrics)
{
    // MS Sans Serif 8 pt at 96 dpi, as Windows has it: 13 pixels high with an
    // ascent of 11, average width 5, dialog base units 6 x 13.
    Canvas canvas(8, 8);
    WFont font("MS Sans Serif", 8, 0, 400, 0);
    Selected selected(canvas.context(), font);
    EXPECT_EQ("MS Sans Serif", textFace(canvas.context()));
    TEXTMETRICA metrics = {};
    ASSERT_TRUE(GetTextMetricsA(canvas.context(), &metrics));
    EXPECT_EQ(13, metrics.tmHeight);
    EXPECT_EQ(11, metrics.tmAscent);
    EXPECT_EQ(5, metrics.tmAveCharWidth);
    SIZE alphabet = {};
    const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    ASSERT_TRUE(GetTextExtentPoint32A(canvas.context(), letters, 52, &alphabet));
    EXPECT_EQ(6, (alphabet.cx / 26 + 1) / 2);
    EXPECT_EQ(ANSI_CHARSET, metrics.tmCharSet);
    EXPECT_LE(static_cast<unsigned char>(metrics.tmFirstChar), ' ');
    EXPECT_EQ(0xFF, static_cast<unsigned char>(metrics.tmLastChar));
}

TEST(FontMappingTest, WindowsCp1252TextsAppearAsTheirOwnCharacters)
{
    ASSERT_EQ(1252u, GetACP());
    for (size_t i = 0; i < std::size(germanTexts); ++i) {
        wchar_t wide[32] = {};
        int length = MultiByteToWideChar(CP_ACP, 0, germanTexts[i], -1, wide, 32);
        EXPECT_GT(length, 0);
        EXPECT_EQ(std::wstring(germanUnicode[i]), std::wstring(wide)) << "text " << i;
    }

    WFont fonts[] = {{"Arial", 8, 0, 400, 0}, {"Times New Roman", 12, 0, 400, 0},
                     {"MS Sans Serif", 8, 0, 400, 0}};
    Canvas canvas(40, 40);
    for (const WFont& font : fonts) {
        SCOPED_TRACE(static_cast<const char*>(font.getName()));
        {
            Selected selected(canvas.context(), font);
            for (const char* text : germanTexts) {
                std::vector<WORD> glyphs(strlen(text));
                GetGlyphIndicesA(canvas.context(), text, static_cast<int>(glyphs.size()),
                                 glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
                for (WORD glyph : glyphs)
                    EXPECT_NE(0xFFFF, glyph) << "missing a glyph of \"" << text << "\"";
            }
        }
        // Each special character draws differently from its base letter, from
        // a question mark and from nothing.
        auto drawn = [&](const char* text) {
            canvas.clear();
            canvas.text(font, 4, 4, text);
            return canvas.snapshot();
        };
        const auto blank = drawn("");
        const auto question = drawn("?");
        const std::pair<const char*, const char*> pairs[] = {
            {"ä", "a"}, {"ö", "o"}, {"ü", "u"}, {"Ä", "A"}, {"Ö", "O"}, {"Ü", "U"}, {"ß", "B"}, {"°", "o"}};
        for (const auto& [special, plain] : pairs) {
            const auto picture = drawn(special);
            EXPECT_NE(drawn(plain), picture) << special;
            EXPECT_NE(question, picture) << special;
            EXPECT_NE(blank, picture) << special;
        }
    }
}

TEST(FontMappingTest, SamplePictureOfTheTexts)
{
    const int width = 560, rowHeight = 30;
    struct Row {
        const char* face;
        unsigned long points;
    } rows[] = {{"Arial", 8}, {"Times New Roman", 12}, {"MS Sans Serif", 8},
                {"Arial", 16}, {"Times New Roman", 16}, {"MS Sans Serif", 14}};
    Canvas canvas(width, rowHeight * static_cast<int>(std::size(rows)));
    int y = 4;
    for (const Row& row : rows) {
        WFont font(row.face, row.points, 0, 400, 0);
        std::string line = std::string(row.face) + " " + std::to_string(row.points) + ":";
        for (const char* text : germanTexts)
            line += std::string(" ") + text;
        canvas.text(font, 4, y, line.c_str());
        y += rowHeight;
    }
    EXPECT_TRUE(canvas.save("font-sample.bmp"));
}
