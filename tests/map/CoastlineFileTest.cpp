// Hostile and replaced coastline files: both render paths draw the same
// pixels, and the same as a plain file that says what the hostile one means.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Coastlines.h"
#include "MapTestSupport.h"

namespace {
std::string lines(const std::vector<std::string>& texts)
{
    std::string bytes;
    for (const std::string& text : texts)
        bytes += text + "\r\n";
    return bytes;
}

std::unique_ptr<MapCanvas> render(OrvexMap& map, OrvexMap::RenderPath path)
{
    MapLayout layout = map.layout();
    auto canvas = std::make_unique<MapCanvas>(layout.pictureWidth, layout.pictureHeight);
    map.renderPath = path;
    map.renderMap(canvas->getDC(), false, false);
    return canvas;
}

// Outlines only, no data, at 50 %: the coastlines on the flat map and on
// the globe (centred at 10 E 45 N, where 0 E from the equator to 30 N is
// seen).
struct View {
    const char* name;
    bool globe;
};
const View views[] = {{"flat", false}, {"globe", true}};

void show(OrvexMap& map, const View& view)
{
    map.mapType = 1;
    map.scalePercent = 50;
    map.scaleX = map.scaleY = 0.5;
    map.orthographic = view.globe;
}

// Both paths on the file in the folder, and the straightforward path on
// the plain lines: every pixel equal.
void expectSamePictures(const std::string& what, const std::vector<std::string>& plain)
{
    for (const View& view : views) {
        OrvexMap hostile;
        show(hostile, view);
        auto fast = render(hostile, OrvexMap::RenderPath::Fast);
        auto reference = render(hostile, OrvexMap::RenderPath::Reference);
        EXPECT_EQ("", pixelDifferences(*fast, *reference)) << what << ", " << view.name;

        ScratchDir other;
        writeWorldmap(plain);
        OrvexMap meant;
        show(meant, view);
        auto expected = render(meant, OrvexMap::RenderPath::Reference);
        EXPECT_EQ("", pixelDifferences(*fast, *expected)) << what << " as meant, " << view.name;
    }
}

const std::string start = "0.5 0.25\r\n";       // 0 E on the equator
const std::string lineTo = "0.5 0.3\r\n";       // a line up to 18 N
const std::string moveOn = "0.55 0.3\r\n";      // and on to 18 E
const std::string digits(2 * 1000 * 1000, '3'); // a 2 MB number
}

TEST(CoastlineFileTest, HostileFilesAreDrawnAlikeByBothPathsAndAsTheyMean)
{
    const std::vector<std::string> lifted = {"0.5 0.25", "2 0", "0.5 0.3", "0.55 0.3"};
    const std::vector<std::string> joined = {"0.5 0.25", "0.5 0.3", "0.55 0.3"};
    const std::string longest = "0.3" + std::string(longestCoastlineNumber - 3, '0');
    const char commasAndNul[] = "0,5 0,25\r\n\r\n0.55\0 0.4\r\n0.55 0.3\r";
    struct Case {
        const char* what;
        std::string file;
        std::vector<std::string> plain;
    };
    const Case cases[] = {
        {"a 2 MB number", start + "0." + digits + " 0.3\r\n" + lineTo + moveOn, lifted},
        {"a 2 MB second number", start + "0.5 0." + digits + "\r\n" + lineTo + moveOn, lifted},
        {"a 2 MB line without a line feed", start + lineTo + moveOn + digits, joined},
        {"a number one character too long", start + "0.5 " + longest + "1\r\n" + lineTo + moveOn,
         lifted},
        {"a number of the longest length", start + "0.5 " + longest + "\r\n" + moveOn, joined},
        {"a 2 MB third token", start + lineTo + "0.55 0.3 " + digits, joined},
        {"a million blanks before the numbers",
         start + std::string(1000000, ' ') + "\t" + lineTo,
         {"0.5 0.25", "0.5 0.3"}},
        {"x of 1e30 below zero", start + "-1e30 0.3\r\n" + lineTo + moveOn, lifted},
        {"x of -1e300, infinite as a float", start + "-1e300 0.3\r\n" + lineTo + moveOn, lifted},
        {"y of 1e300, infinite as a float", start + "0.5 1e300\r\n" + lineTo + moveOn, lifted},
        {"y of 1e30 below zero", start + "0.5 -1e30\r\n" + lineTo + moveOn, lifted},
        {"x not a number", start + "nan 0.3\r\n" + lineTo + moveOn, lifted},
        {"y not a number", start + "0.5 nan\r\n" + lineTo + moveOn, lifted},
        {"points just off the map are drawn",
         "-0.02 0.25\r\n0.5 0.52\r\n1 -0.01\r\n",
         {"-0.02 0.25", "0.5 0.52", "1 -0.01"}},
        {"commas, an empty line, a NUL, a last line ending in a carriage return",
         std::string(commasAndNul, sizeof commasAndNul - 1),
         {"0.5 0.25", "0.55 0", "0.55 0.3"}},
        {"a line of two carriage returns is the point (0, 0)",
         start + "\r\r\n" + moveOn,
         {"0.5 0.25", "0 0", "0.55 0.3"}},
    };
    for (const Case& c : cases) {
        ScratchDir scratch;
        writeFile("worldmap.txt", c.file);
        expectSamePictures(c.what, c.plain);
    }
}

TEST(CoastlineFileTest, KeptPointsFollowTheFileNotJustItsSizeAndTime)
{
    ScratchDir scratch;
    writeWorldmap({"0.5 0.25", "0.5 0.3"});
    HANDLE first = CreateFileA("worldmap.txt", GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    FILETIME written;
    GetFileTime(first, nullptr, nullptr, &written);
    CloseHandle(first);
    auto keepTime = [&](const char* name) {
        HANDLE file =
            CreateFileA(name, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    };
    OrvexMap map;
    map.mapType = 1;
    auto before = render(map, OrvexMap::RenderPath::Fast);

    // Other points of the same length, with the old time of last writing:
    // a file moved over the old one, and one written over it in place.
    struct Replacement {
        const char* what;
        std::vector<std::string> points;
        bool inPlace;
    };
    const Replacement replacements[] = {
        {"moved over", {"0.4 0.25", "0.4 0.3"}, false},
        {"written in place", {"0.3 0.25", "0.3 0.3"}, true},
    };
    for (const Replacement& r : replacements) {
        // The system's time of last change is not set back; it must move on.
        Sleep(30);
        if (r.inPlace) {
            writeWorldmap(r.points);
            keepTime("worldmap.txt");
        } else {
            writeFile("other.txt", lines(r.points));
            keepTime("other.txt");
            ASSERT_TRUE(MoveFileExA("other.txt", "worldmap.txt", MOVEFILE_REPLACE_EXISTING));
        }
        auto fast = render(map, OrvexMap::RenderPath::Fast);
        auto reference = render(map, OrvexMap::RenderPath::Reference);
        EXPECT_NE("", pixelDifferences(*fast, *before)) << r.what;
        EXPECT_EQ("", pixelDifferences(*fast, *reference)) << r.what;
    }
}

TEST(CoastlineFileTest, AFileBeyondFourGigabytesIsReadToItsEnd)
{
    ScratchDir scratch;
    // 4 GiB of zero bytes between the first point and the last two, as a
    // sparse file where the system has them.
    HANDLE file = CreateFileA("worldmap.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD returned = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    DWORD written = 0;
    WriteFile(file, "0.25 0.25\n", 10, &written, nullptr);
    LARGE_INTEGER beyond;
    beyond.QuadPart = 10 + (1LL << 32);
    ASSERT_TRUE(SetFilePointerEx(file, beyond, nullptr, FILE_BEGIN));
    const std::string tail = "\n" + start + lineTo;
    WriteFile(file, tail.data(), static_cast<DWORD>(tail.size()), &written, nullptr);
    CloseHandle(file);

    // The zero bytes are one line: a point that no number could be read
    // from, (0, 0). The file is read once for both views.
    OrvexMap map;
    for (const View& view : views) {
        show(map, view);
        auto fast = render(map, OrvexMap::RenderPath::Fast);
        ScratchDir other;
        writeWorldmap({"0.25 0.25", std::string(1, '\0'), "0.5 0.25", "0.5 0.3"});
        OrvexMap meant;
        show(meant, view);
        auto expected = render(meant, OrvexMap::RenderPath::Reference);
        EXPECT_EQ("", pixelDifferences(*fast, *expected)) << view.name;
    }
}
