#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GmsCoordinates.h"
#include "GridTestSupport.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"

namespace {

GmsCoordinates place(int latDegrees, int latMinutes, bool south, int lonDegrees, int lonMinutes,
                     bool west)
{
    GmsCoordinates c;
    c.latDegrees = latDegrees;
    c.latMinutes = latMinutes;
    c.latSouth = south ? 1 : 0;
    c.lonDegrees = lonDegrees;
    c.lonMinutes = lonMinutes;
    c.lonWest = west ? 1 : 0;
    return c;
}

Position named(const char* name, const GmsCoordinates& coordinates = GmsCoordinates())
{
    Position p;
    p.name = name;
    p.coordinates = coordinates;
    return p;
}

// "number:name" of every position, in iteration order.
std::string listing(PositionCollection& positions)
{
    std::string text;
    while (positions.hasMoreElements()) {
        Position& p = positions.nextPosition();
        text += std::to_string(positions.getCurrentNumber()) + ":" +
                static_cast<const char*>(p.name) + " ";
    }
    return text;
}

// A grid file whose cell (column, row) holds (row * 72 + column) / 100, with
// the cells listed as missing written as -99.9.
void writeNumberedCells(const std::vector<int>& missing = {})
{
    writeFile("data/cru/hadcrut3.dat",
              monthBlock(28613, gridRows([&](int row, int column) {
                             for (int cell : missing)
                                 if (cell == row * 72 + column)
                                     return std::string("-99.9");
                             return number((row * 72 + column) / 100.0);
                         })));
}

double cell(int column, int row)
{
    return static_cast<float>((row * 72 + column) / 100.0);
}

} // namespace

TEST(PositionTest, LabelText)
{
    GmsCoordinates berlin = place(52, 31, false, 13, 24, false);
    EXPECT_STREQ("52\xB0 31' N / 13\xB0 24' O", berlin.getLabel());
    EXPECT_STREQ("52\xB0 31' N / 13\xB0 24' O", berlin.label) << "stored in label";
    berlin = place(33, 55, true, 18, 0, true);
    EXPECT_STREQ("33\xB0 55' S / 18\xB0 0' W", berlin.getLabel()) << "rebuilt on every call";
    EXPECT_STREQ("0\xB0 0' N / 0\xB0 0' O", GmsCoordinates().getLabel());

    Position a = named("Berlin", place(52, 31, false, 13, 24, false));
    a.coordinates.latSeconds = 17;
    a.mapX = 3;
    Position b(a);
    a.name = "changed";
    EXPECT_STREQ("Berlin", b.name) << "a copy owns its strings";
    EXPECT_EQ(17, b.coordinates.latSeconds);
    EXPECT_EQ(3, b.mapX);
}

TEST(PositionTest, CellOfAPosition)
{
    ScratchDir dir;
    writeNumberedCells();
    OrvexDatabase db;
    EXPECT_EQ(MISSING_VALUE, db.valueAt(place(52, 31, false, 13, 24, false))) << "closed";
    db.open(1, "data/cru/hadcrut3.dat");
    db.load(1850, 1, false);

    struct Case {
        GmsCoordinates where;
        int column;
        int row;
    } cases[] = {
        {place(52, 31, false, 13, 24, false), 38, 7},
        {place(10, 0, false, 0, 0, false), 36, 15},
        {place(10, 0, true, 0, 0, true), 35, 20},
        {place(4, 59, false, 4, 59, false), 36, 17},
        {place(0, 0, true, 0, 30, true), 35, 18},
        {place(89, 59, false, 179, 59, true), 0, 0},
        {place(89, 0, true, 179, 0, false), 71, 35},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cell(c.column, c.row), db.valueAt(c.where))
            << c.where.getLabel() << " should be column " << c.column << " row " << c.row;

    const GmsCoordinates outside[] = {
        place(90, 0, false, 10, 0, false), place(90, 0, true, 10, 0, false),
        place(10, 0, false, 180, 0, true), place(10, 0, false, 180, 0, false),
        place(-5, 0, false, 10, 0, false), place(10, 0, false, 200, 0, false),
    };
    for (const GmsCoordinates& where : outside)
        EXPECT_EQ(MISSING_VALUE, db.valueAt(where)) << where.getLabel();
}

TEST(PositionTest, NumbersStayUnique)
{
    PositionCollection positions;
    EXPECT_EQ(1u, positions.add(named("a"), false));
    EXPECT_EQ(2u, positions.add(named("b"), false));
    EXPECT_EQ(3u, positions.add(named("c"), false));
    EXPECT_EQ(4u, positions.add(named("d"), false)) << "after reading three";
    EXPECT_TRUE(positions.remove(4));
    EXPECT_TRUE(positions.remove(3));
    EXPECT_EQ(2u, positions.getLastNumber());
    EXPECT_EQ(3u, positions.add(named("c2"), false)) << "removing the last-numbered frees it";

    EXPECT_TRUE(positions.remove(2));
    EXPECT_EQ(2u, positions.getLastNumber());
    EXPECT_EQ(4u, positions.add(named("e"), false)) << "3 is still in use";
    EXPECT_EQ("1:a 3:c2 4:e ", listing(positions));
    EXPECT_FALSE(positions.remove(2));

    EXPECT_EQ(1u, positions.add(named("view"), true)) << "globe view: the view position";
    EXPECT_EQ(4u, positions.getLastNumber());
    EXPECT_EQ("1:view 3:c2 4:e ", listing(positions)) << "replaced in place";
    EXPECT_TRUE(positions.replace(3, named("c3")));
    EXPECT_FALSE(positions.replace(9, named("x")));
    EXPECT_EQ("1:view 3:c3 4:e ", listing(positions));
    EXPECT_EQ(3u, positions.size());

    PositionCollection copy(positions);
    positions.remove(4);
    EXPECT_EQ("1:view 3:c3 4:e ", listing(copy)) << "a copy keeps numbers and order";
    EXPECT_EQ(4u, copy.getLastNumber());
    EXPECT_EQ(5u, copy.add(named("f"), false));

    // A globe-view position in an empty collection, then one in the flat view.
    PositionCollection fresh;
    EXPECT_EQ(1u, fresh.add(named("view"), true));
    EXPECT_EQ(2u, fresh.add(named("flat"), false));
    EXPECT_TRUE(fresh.remove(2));
    EXPECT_TRUE(fresh.remove(1));
    EXPECT_EQ(0u, fresh.getLastNumber());
    EXPECT_EQ(1u, fresh.add(named("again"), false));
    ASSERT_NE(nullptr, fresh.find(1));
    EXPECT_STREQ("again", fresh.find(1)->name);
}

TEST(PositionTest, MeanOverPositions)
{
    ScratchDir dir;
    writeNumberedCells({15 * 72 + 36});
    OrvexDatabase db;
    db.open(1, "data/cru/hadcrut3.dat");
    db.load(1850, 1, false);

    PositionCollection positions;
    EXPECT_EQ(MISSING_VALUE, positions.meanValue(db)) << "no positions";
    positions.add(named("Berlin", place(52, 31, false, 13, 24, false)), false);
    positions.add(named("no data", place(10, 0, false, 0, 0, false)), false);
    positions.add(named("outside", place(90, 0, false, 0, 0, false)), false);
    positions.add(named("south", place(10, 0, true, 0, 0, true)), false);
    EXPECT_DOUBLE_EQ((cell(38, 7) + cell(35, 20)) / 2, positions.meanValue(db));

    PositionCollection without;
    without.add(named("no data", place(10, 0, false, 0, 0, false)), false);
    without.add(named("outside", place(90, 0, true, 0, 0, false)), false);
    EXPECT_EQ(MISSING_VALUE, without.meanValue(db)) << "no position with a value";
    db.load(1850, 2, false);
    EXPECT_EQ(MISSING_VALUE, positions.meanValue(db)) << "a month beyond the data";
}
