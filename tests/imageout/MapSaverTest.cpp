// Saving the map: the GIF, JPEG and metafile pictures of a test map, in the
// flat and the globe view, against the renderers' own pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <set>

#include "DibImage.h"
#include "ImageTestSupport.h"
#include "MapSaveTestSupport.h"
#include "MapSaver.h"
#include "WBitmap.h"
#include "WException.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// The test's work folder (current when the program starts; tests work in
// scratch folders) keeps the GIFs for the independent decoders.
std::string refereeFolder()
{
    static const std::string folder = [] {
        wchar_t current[MAX_PATH + 1];
        GetCurrentDirectoryW(MAX_PATH + 1, current);
        return TempDir::toUtf8(current) + "\\referee";
    }();
    return folder;
}
const std::string startFolder = refereeFolder();

RGBQUAD canvasColour(const MapCanvas& canvas, int x, int y)
{
    COLORREF c = canvas.getPixel(x, y);
    return quad(GetRValue(c), GetGValue(c), GetBValue(c));
}

// Pixels where the image (rows bottom-up) shows another colour than the
// canvas (rows top-down).
int differingPixels(const DibImage& image, const MapCanvas& canvas)
{
    int differing = 0;
    for (int y = 0; y < canvas.getHeight(); y++)
        for (int x = 0; x < canvas.getWidth(); x++)
            differing += !sameColour(image.getPixelColor(x, canvas.getHeight() - 1 - y),
                                     canvasColour(canvas, x, y));
    return differing;
}

// The GIF as saveGif must write it, made the long way: the picture through
// a WBitmap as on the screen, its handle copied into a 24-bit image, the
// octree palette and error diffusion.
void reducedThroughWBitmap(OrvexMap& map, DibImage& image)
{
    WBitmap bitmap;
    MapSaver(map).renderToBitmap(bitmap, true, false);
    ASSERT_TRUE(image.createFromBitmap(bitmap.getBitmapHandle())) << image.getLastError();
    ASSERT_EQ(24, image.getBitCount());
    MapSaver::reduceTo256Colours(image);
}

struct EmfFacts {
    Bytes bytes;
    RECTL bounds = {}, frame = {};
    std::wstring description;
    std::map<DWORD, int> records; // record type -> count
    std::vector<EMRSTRETCHDIBITS> pictures;
};

// The records of a metafile as compared here. A font record keeps only its
// LOGFONT, and the face name only up to its end: the system leaves the rest
// of the names uninitialised.
std::vector<Bytes> emfRecords(const Bytes& file)
{
    std::vector<Bytes> records;
    for (size_t at = 0; at + 8 <= file.size();) {
        const EMR* record = reinterpret_cast<const EMR*>(file.data() + at);
        if (record->nSize < 8 || at + record->nSize > file.size())
            break;
        size_t kept = record->nSize;
        if (record->iType == EMR_EXTCREATEFONTINDIRECTW)
            kept = std::min<size_t>(kept, 12 + sizeof(LOGFONTW));
        records.emplace_back(file.begin() + at, file.begin() + at + kept);
        if (record->iType == EMR_EXTCREATEFONTINDIRECTW && kept == 12 + sizeof(LOGFONTW)) {
            LOGFONTW font;
            std::memcpy(&font, records.back().data() + 12, sizeof font);
            size_t length = wcsnlen(font.lfFaceName, LF_FACESIZE);
            for (size_t i = length; i < LF_FACESIZE; i++)
                font.lfFaceName[i] = 0;
            std::memcpy(records.back().data() + 12, &font, sizeof font);
        }
        at += record->nSize;
    }
    return records;
}

// Empty when two metafiles have the same records, else where they differ.
std::string recordDifference(const Bytes& a, const Bytes& b)
{
    std::vector<Bytes> ra = emfRecords(a), rb = emfRecords(b);
    for (size_t i = 0; i < ra.size() && i < rb.size(); i++)
        if (ra[i] != rb[i]) {
            size_t byte = 0;
            while (byte < ra[i].size() && byte < rb[i].size() && ra[i][byte] == rb[i][byte])
                byte++;
            return "record " + std::to_string(i) + " of type " +
                   std::to_string(reinterpret_cast<const EMR*>(ra[i].data())->iType) + ", byte " +
                   std::to_string(byte);
        }
    if (ra.size() != rb.size())
        return std::to_string(ra.size()) + " against " + std::to_string(rb.size()) + " records";
    return "";
}

// The map drawn straight into a metafile at scale 10, as a reference.
Bytes recordedAtScale10(OrvexMap& map, const char* name, bool withMarkers)
{
    map.scaleX = map.scaleY = map.borderFactor = 10.0;
    const RECT frame = {0, 0, 318000, 183000};
    HDC screen = GetDC(nullptr);
    HDC dc = CreateEnhMetaFileW(screen, TempDir::toWide(name).c_str(), &frame,
                                L"Orvex Visualizer V0.91 - Visualisierung von HadCRUT3-Daten\0\0");
    map.renderMap(dc, true, withMarkers);
    DeleteEnhMetaFile(CloseEnhMetaFile(dc));
    ReleaseDC(nullptr, screen);
    map.borderFactor = 1.0;
    return readFileBytes(name);
}

EmfFacts readEmf(const std::string& name)
{
    EmfFacts facts;
    facts.bytes = readFileBytes(name);
    if (facts.bytes.size() < sizeof(ENHMETAHEADER))
        return facts;
    const ENHMETAHEADER* header = reinterpret_cast<const ENHMETAHEADER*>(facts.bytes.data());
    facts.bounds = header->rclBounds;
    facts.frame = header->rclFrame;
    if (header->nDescription > 0 &&
        header->offDescription + 2 * header->nDescription <= facts.bytes.size())
        facts.description.assign(
            reinterpret_cast<const wchar_t*>(facts.bytes.data() + header->offDescription),
            header->nDescription);
    for (size_t at = 0; at + 8 <= facts.bytes.size();) {
        const EMR* record = reinterpret_cast<const EMR*>(facts.bytes.data() + at);
        if (record->nSize < 8 || at + record->nSize > facts.bytes.size())
            break;
        facts.records[record->iType]++;
        if (record->iType == EMR_STRETCHDIBITS)
            facts.pictures.push_back(*reinterpret_cast<const EMRSTRETCHDIBITS*>(record));
        at += record->nSize;
    }
    return facts;
}

}

// At 75 %: an 8-bit GIF of 810 x 485 with a 256-entry table, the picture
// with labels and without markers exactly (the test map has fewer than 256
// colours, so nothing is dithered), byte for byte what the long way
// through a WBitmap gives; the GIF goes to the independent decoders too.
TEST(MapSaver, GifIsTheLabelledMapWithoutMarkers)
{
    ScratchDir scratch;
    for (bool globe : {false, true}) {
        SCOPED_TRACE(globe ? "globe" : "flat map");
        OrvexMap map;
        prepareMap(map, 75);
        map.orthographic = globe;
        MapSaver(map).saveGif("saved.gif");
        Bytes saved = readFileBytes("saved.gif");
        ASSERT_GT(saved.size(), 13u + 768);
        EXPECT_EQ(Bytes({'G', 'I', 'F', '8', '7', 'a', 0x2A, 0x03, 0xE5, 0x01, 0xE7}),
                  Bytes(saved.begin(), saved.begin() + 11))
            << "810 x 485, 8 bits, 256 colours";

        RenderedMap labelled(map, true, false);
        RenderedMap marked(map, true, true);
        DibImage image;
        reducedThroughWBitmap(map, image);
        std::set<COLORREF> colours;
        for (int y = 0; y < 485; y++)
            for (int x = 0; x < 810; x++)
                colours.insert(labelled.at(x, y));
        ASSERT_LE(colours.size(), 256u);
        EXPECT_EQ(0, differingPixels(image, labelled.canvas));
        EXPECT_GT(differingPixels(image, marked.canvas), 20) << "the marker is not in the GIF";

        std::string name = globe ? "map-globe-75" : "map-flat-75";
        ASSERT_TRUE(saveForReferees(image, refereeFolder(), name)) << image.getLastError();
        EXPECT_EQ(readFileBytes(refereeFolder() + "\\" + name + ".gif"), saved);
    }
}

// A picture with many colours (a background picture under half-transparent
// cells) at 100 %: dithered, the saved GIF is still exactly the long way's.
TEST(MapSaver, DitheredGifOfAPicture)
{
    ScratchDir scratch;
    writeBackgroundPicture();
    OrvexMap map;
    prepareMap(map, 100);
    map.mapType = 2;
    map.loadBackgroundPicture();
    MapSaver(map).saveGif("saved.gif");
    DibImage image;
    reducedThroughWBitmap(map, image);
    ASSERT_TRUE(saveForReferees(image, refereeFolder(), "map-picture-100")) << image.getLastError();
    Bytes saved = readFileBytes("saved.gif");
    EXPECT_EQ(readFileBytes(refereeFolder() + "\\map-picture-100.gif"), saved);
    ASSERT_GT(saved.size(), 11u);
    EXPECT_EQ(Bytes({0x24, 0x04, 0x62, 0x02}), Bytes(saved.begin() + 6, saved.begin() + 10))
        << "1060 x 610";
}

TEST(MapSaver, JpegAt50PercentWithoutMarkers)
{
    ScratchDir scratch;
    OrvexMap map;
    prepareMap(map, 50);
    MapSaver(map).saveJpeg("saved.jpg");
    WBitmap saved("saved.jpg");
    ASSERT_EQ(560u, saved.getWidth());
    ASSERT_EQ(360u, saved.getHeight());

    // Where the marker would be, the JPEG looks like the picture without it.
    RenderedMap labelled(map, true, false);
    RenderedMap marked(map, true, true);
    auto distance = [](COLORREF p, COLORREF q) {
        return std::abs(GetRValue(p) - GetRValue(q)) + std::abs(GetGValue(p) - GetGValue(q)) +
               std::abs(GetBValue(p) - GetBValue(q));
    };
    long long plain = 0, withMarker = 0, markerPixels = 0;
    for (int y = 0; y < 360; y++)
        for (int x = 0; x < 560; x++) {
            if (labelled.at(x, y) == marked.at(x, y))
                continue;
            markerPixels++;
            plain += distance(saved.getPixel(x, y), labelled.at(x, y));
            withMarker += distance(saved.getPixel(x, y), marked.at(x, y));
        }
    ASSERT_GT(markerPixels, 20);
    EXPECT_LT(plain * 3, withMarker);

    std::string message = "(nothing thrown)";
    try {
        MapSaver(map).saveJpeg("saved.jpeg");
    } catch (const WException& e) {
        message = static_cast<const char*>(e.getMessage());
    }
    EXPECT_EQ("Bitmap format is not supported for saving!", message);
}

// The metafile is drawn at scale 10 whatever the view's scale: the same
// file at 50, 75 and 100 %, the frame of 3.18 m x 1.83 m, and the view's
// scale as it was afterwards.
TEST(MapSaver, MetafileIsTheSameAtEveryScale)
{
    ScratchDir scratch;
    for (bool globe : {false, true}) {
        SCOPED_TRACE(globe ? "globe" : "flat map");
        std::vector<EmfFacts> files;
        for (int percent : {50, 75, 100}) {
            OrvexMap map;
            prepareMap(map, percent);
            map.orthographic = globe;
            map.mapCentreX = 1234;
            map.mapCentreY = 567;
            std::string name = "map" + std::to_string(percent) + ".emf";
            MapSaver(map).saveEmf(name.c_str());
            EXPECT_EQ(percent / 100.0, map.scaleX);
            EXPECT_EQ(percent / 100.0, map.scaleY);
            EXPECT_EQ(1.0, map.borderFactor);
            EXPECT_EQ(1234, map.mapCentreX);
            EXPECT_EQ(567, map.mapCentreY);
            files.push_back(readEmf(name));
        }
        const EmfFacts& emf = files[0];
        ASSERT_GT(emf.bytes.size(), 1000u);
        EXPECT_EQ("", recordDifference(files[0].bytes, files[1].bytes)) << "50 % against 75 %";
        EXPECT_EQ("", recordDifference(files[0].bytes, files[2].bytes)) << "50 % against 100 %";
        EXPECT_EQ(0, emf.frame.left);
        EXPECT_EQ(0, emf.frame.top);
        EXPECT_EQ(318000, emf.frame.right);
        EXPECT_EQ(183000, emf.frame.bottom);
        EXPECT_LE(emf.bounds.right, 10600);
        EXPECT_LE(emf.bounds.bottom, 6100);
        EXPECT_GT(emf.bounds.right, 10000);
        const std::wstring title = L"Orvex Visualizer V0.91 - Visualisierung von HadCRUT3-Daten";
        ASSERT_GT(emf.description.size(), title.size());
        EXPECT_EQ(title, emf.description.substr(0, title.size()));
        EXPECT_EQ(L'\0', emf.description[title.size()]);
        EXPECT_EQ(0, emf.records.count(EMR_SETPIXELV)) << "no record per pixel";
        EXPECT_GT(emf.records.count(EMR_POLYLINE16) + emf.records.count(EMR_LINETO) +
                      emf.records.count(EMR_POLYLINE),
                  0u)
            << "lines stay vectors";
        EXPECT_GT(emf.records.count(EMR_EXTTEXTOUTW) + emf.records.count(EMR_EXTTEXTOUTA), 0u)
            << "texts stay texts";
        if (globe) {
            // The globe's pixels: one picture stretched over the globe square.
            ASSERT_EQ(1u, emf.pictures.size());
            const EMRSTRETCHDIBITS& picture = emf.pictures[0];
            MapLayout screen(10.0, 10.0);
            EXPECT_EQ(screen.centreX - screen.globePixelRadius, picture.xDest);
            EXPECT_EQ(screen.centreY - screen.globePixelRadius, picture.yDest);
            EXPECT_EQ(2 * screen.globePixelRadius + 1, picture.cxDest);
            EXPECT_EQ(2 * screen.globePixelRadius + 1, picture.cyDest);
            EXPECT_EQ(1001, picture.cxSrc) << "the globe at scale 2";
            EXPECT_LT(emf.bytes.size(), 8u << 20);
        }
    }

    // Markers never reach the metafile: it has the records of the map drawn
    // without them, not those of the map drawn with them.
    OrvexMap map;
    prepareMap(map, 75);
    MapSaver(map).saveEmf("saved.emf");
    Bytes saved = readFileBytes("saved.emf");
    EXPECT_EQ("", recordDifference(saved, recordedAtScale10(map, "plain.emf", false)));
    EXPECT_NE("", recordDifference(saved, recordedAtScale10(map, "marked.emf", true)));
}

TEST(MapSaver, FailuresAreReportedAndLeaveNoFile)
{
    ScratchDir scratch;
    OrvexMap map;
    prepareMap(map, 75);
    MapSaver saver(map);
    std::string message = "(nothing thrown)";
    try {
        saver.saveGif("no such folder\\map.gif");
    } catch (const WException& e) {
        message = static_cast<const char*>(e.getMessage());
    }
    EXPECT_EQ("GIF-Datei konnte nicht gespeichert werden. (Can't open GIF for writing)", message);
    EXPECT_FALSE(fileExists("no such folder\\map.gif"));

    message = "(nothing thrown)";
    map.scaleX = map.scaleY = 0.5;
    try {
        saver.saveEmf("no such folder\\map.emf");
    } catch (const WException& e) {
        message = static_cast<const char*>(e.getMessage());
        EXPECT_EQ(0, e.getId());
    }
    EXPECT_EQ("Cannot create EMF-File.", message);
    EXPECT_EQ(0.5, map.scaleX) << "the scale comes back first";
    EXPECT_EQ(1.0, map.borderFactor);

    // A renderer's failure (no coastline file) ends the metafile too.
    DeleteFileA("worldmap.txt");
    EXPECT_THROW(saver.saveEmf("broken.emf"), WException);
    EXPECT_FALSE(fileExists("broken.emf")) << "no half-drawn metafile is left";
    EXPECT_EQ(0.5, map.scaleX);
}
