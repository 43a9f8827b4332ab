// Title, position line, caption, degree labels, legend numbers and the
// status texts. Texts are read back from enhanced metafiles, which record
// every string drawn into them.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "MapTestSupport.h"

namespace {
struct DrawnText {
    std::string text;
    int x;
    int y;
};

int CALLBACK collectText(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM data)
{
    auto* texts = reinterpret_cast<std::vector<DrawnText>*>(data);
    if (record->iType == EMR_EXTTEXTOUTW) {
        auto* out = reinterpret_cast<const EMREXTTEXTOUTW*>(record);
        auto* wide = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(record) +
                                                      out->emrtext.offString);
        std::string text(out->emrtext.nChars * 2 + 1, '\0');
        int n = WideCharToMultiByte(1252, 0, wide, out->emrtext.nChars, &text[0],
                                    static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(n > 0 ? n : 0);
        texts->push_back({text, out->emrtext.ptlReference.x, out->emrtext.ptlReference.y});
    } else if (record->iType == EMR_EXTTEXTOUTA) {
        auto* out = reinterpret_cast<const EMREXTTEXTOUTA*>(record);
        const char* bytes = reinterpret_cast<const char*>(record) + out->emrtext.offString;
        texts->push_back({std::string(bytes, out->emrtext.nChars), out->emrtext.ptlReference.x,
                          out->emrtext.ptlReference.y});
    }
    return 1;
}

std::vector<DrawnText> drawnTexts(const std::function<void(HDC)>& draw)
{
    HDC screen = GetDC(nullptr);
    HDC recorder = CreateEnhMetaFileA(screen, nullptr, nullptr, nullptr);
    ReleaseDC(nullptr, screen);
    draw(recorder);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    std::vector<DrawnText> texts;
    EnumEnhMetaFile(nullptr, metafile, collectText, &texts, nullptr);
    DeleteEnhMetaFile(metafile);
    return texts;
}

std::vector<std::string> textsOnly(const std::vector<DrawnText>& drawn)
{
    std::vector<std::string> out;
    for (const DrawnText& d : drawn)
        out.push_back(d.text);
    return out;
}

// January 0.0 everywhere, February -0.25 everywhere, March +1.5 in the
// northern half and no data in the southern half.
double monthValues(int month, int row, int)
{
    if (month == 1)
        return 0.0;
    if (month == 2)
        return -0.25;
    return row < 18 ? 1.5 : -99.9;
}

const std::vector<std::string> legendNumbers = {"-5.0", "-3.0", "-1.0", "-0.5", "-0.2",
                                                "0.0",  "0.2",  "1.0",  "3.0",  "5.0"};
const char* const caption =
    "Abweichungen in Grad Celsius (1961-90) - https://crudata.uea.ac.uk/cru/data/temperature/";
}

TEST(MapTextTest, TitleLinesForMeansCoverageAndMissingData)
{
    ScratchDir scratch;
    writeTestGrid(monthValues);
    OrvexMap map;
    loadTestMonth(map, 3);
    EXPECT_STREQ("test.dat 1850 (M\xE4r) +1.500\xB0"
                 "C (50%)",
                 map.titleText());
    map.database.load(1850, 2, false);
    EXPECT_STREQ("test.dat 1850 (Feb) -0.250\xB0"
                 "C (100%)",
                 map.titleText());
    map.database.load(1850, 1, false);
    EXPECT_STREQ("test.dat 1850 (Jan) 0.000\xB0"
                 "C (100%)",
                 map.titleText());
    map.database.load(1851, 3, false);
    EXPECT_STREQ("test.dat 1851 (M\xE4r) Keine Daten", map.titleText());
    map.database.load(1850, 3, true);
    std::string average = static_cast<const char*>(map.titleText());
    EXPECT_EQ(0u, average.find("test.dat 1850 +0.1")) << average;
    EXPECT_NE(std::string::npos, average.find("\xB0"
                                              "C (100%)"))
        << average;
    EXPECT_EQ(std::string::npos, average.find("(M")) << average;
}

TEST(MapTextTest, LegendLabelsInBothViews)
{
    OrvexMap map;
    std::vector<std::string> flat = textsOnly(drawnTexts([&](HDC dc) { map.drawLegend(dc); }));
    std::vector<std::string> expected = {"120W", "60W", "0", "60O", "120O", "180O", "90N",
                                         "60N",  "30N", "0", "30S", "60S",  "90S"};
    expected.insert(expected.end(), legendNumbers.begin(), legendNumbers.end());
    EXPECT_EQ(expected, flat);

    map.orthographic = true;
    EXPECT_EQ(legendNumbers, textsOnly(drawnTexts([&](HDC dc) { map.drawLegend(dc); })));

    // The metafile picture (border factor and scale 10) lays its texts out
    // in a 1060 x 610 design space stretched over the picture.
    map.orthographic = false;
    map.borderFactor = map.scaleX = map.scaleY = 10.0;
    std::vector<DrawnText> large = drawnTexts([&](HDC dc) {
        map.drawLegend(dc);
        EXPECT_EQ(MM_TEXT, GetMapMode(dc));
        map.drawLabels(dc);
        EXPECT_EQ(MM_ANISOTROPIC, GetMapMode(dc));
    });
    ASSERT_EQ(expected.size() + 2, large.size());
    for (const DrawnText& text : large) {
        EXPECT_LT(text.x, 1060) << text.text;
        EXPECT_LT(text.y, 610) << text.text;
    }
}

TEST(MapTextTest, PositionLineAndCaption)
{
    ScratchDir scratch;
    writeTestGrid(monthValues);
    OrvexMap map;
    loadTestMonth(map, 3);
    std::vector<DrawnText> texts = drawnTexts([&](HDC dc) { map.drawLabels(dc); });
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ("test.dat 1850 (M\xE4r) +1.500\xB0"
              "C (50%)",
              texts[0].text);
    EXPECT_EQ(caption, texts[1].text);
    EXPECT_GT(texts[0].x, 30);
    EXPECT_LT(texts[0].y, 30);

    map.positions.add(makePosition("Berlin", 52, 13, 31, 24), false);
    map.positions.add(makePosition("Kapstadt", -33, 18, 55, 25), false);
    texts = drawnTexts([&](HDC dc) { map.drawLabels(dc); });
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ("Berlin:  +1.500\xB0"
              "C",
              texts[1].text);
    EXPECT_EQ(30, texts[1].x);
    EXPECT_GT(texts[1].y, 405);
    EXPECT_EQ(caption, texts[2].text);
    // Right-aligned at the map's right edge, x = 780.
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, static_cast<HFONT>(map.legendFont));
    SIZE size;
    GetTextExtentPoint32A(screen, caption, static_cast<int>(strlen(caption)), &size);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(780 - size.cx, texts[2].x);

    map.positions.remove(1);
    map.positions.add(makePosition("Kapstadt", -33, 18, 55, 25), true);
    texts = drawnTexts([&](HDC dc) { map.drawLabels(dc); });
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ("Kapstadt: Keine Daten", texts[1].text);
}

TEST(MapTextTest, StatusTextsOverMarkerSeaAndBorder)
{
    ScratchDir scratch;
    writeTestGrid(monthValues);
    OrvexMap map;
    loadTestMonth(map, 3);
    map.positions.add(makePosition("Berlin", 52, 13, 31, 24), false);
    MapCanvas canvas(810, 485);
    map.drawMarkers(canvas.getDC());
    const Position* berlin = map.positions.find(1);
    ASSERT_NE(nullptr, berlin);
    WString place, value;

    map.mouseX = berlin->mapX + 2;
    map.mouseY = berlin->mapY - 1;
    EXPECT_TRUE(map.statusTexts(place, value));
    EXPECT_STREQ("Berlin: 52\xB0 31' N / 13\xB0 24' O", place);
    EXPECT_STREQ(" +1.50\xB0"
                 "C",
                 value);

    // Next to the marker: the place under the mouse, with its cell value.
    map.mouseX = berlin->mapX + 3;
    EXPECT_TRUE(map.statusTexts(place, value));
    GmsCoordinates expected;
    map.pixelToPosition(map.mouseX, map.mouseY, expected);
    EXPECT_STREQ(expected.getLabel(), place);
    EXPECT_STREQ(" +1.50\xB0"
                 "C",
                 value);

    // Over the southern ocean of this month there are no data.
    map.mouseX = 300;
    map.mouseY = 350;
    EXPECT_TRUE(map.statusTexts(place, value));
    EXPECT_NE(std::string::npos, std::string(place).find("' S / "))
        << static_cast<const char*>(place);
    EXPECT_STREQ("", value);

    // On the border: both parts empty.
    map.mouseX = 10;
    map.mouseY = 200;
    EXPECT_FALSE(map.statusTexts(place, value));
    EXPECT_STREQ("", place);
    EXPECT_STREQ("", value);
    map.onMapMouseMove(20, 20); // no status bar: nothing to update
    EXPECT_EQ(20, map.mouseX);
}
