// Opens the grid files that tools/import-grid wrote in the Python test with
// the program's own OrvexDatabase and checks what the program shows of them:
// cells, the global value, the coverage and the number of cells with data
// of chosen months and years, against what the Python test computed from
// the netCDF input. The Python test lists them in the expectations file
// given as the only argument:
//
//   file <folder relative to the expectations file> <data set>
//   month <year> <month> <cells with data> <global value> <coverage>
//   cell <column> <row> <value | missing>      (of the month above)
//   year <year> <cells with data> <global value> <coverage>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "OrvexDatabase.h"

namespace {

std::string expectationsPath;

// Grid files are found by their relative names "data/cru/<name>.dat", as
// the program opens them, so each data set's folder becomes the current one.
std::string folderOf(const std::string& path)
{
    std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

TEST(ImportedGridTest, ProgramShowsWhatTheInputHolds)
{
    std::ifstream in(expectationsPath);
    ASSERT_TRUE(in) << "cannot read " << expectationsPath;
    const std::string base = folderOf(expectationsPath);
    OrvexDatabase db;
    std::string line;
    std::string where;
    int checks = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "file") {
            std::string folder, name;
            fields >> folder >> name;
            ASSERT_TRUE(SetCurrentDirectoryA((base + "/" + folder).c_str())) << folder;
            db.open(OrvexDatabase::TYPE_GRID_FILE, ("data/cru/" + name + ".dat").c_str());
            where = folder + " " + name;
        } else if (kind == "month" || kind == "year") {
            unsigned year = 0, month = 1, cells = 0;
            double mean = 0, coverage = 0;
            fields >> year;
            if (kind == "month")
                fields >> month;
            fields >> cells >> mean >> coverage;
            db.load(year, month, kind == "year");
            where = line;
            EXPECT_EQ(cells, db.getCellsWithData()) << where;
            EXPECT_NEAR(mean, db.getGlobalMean(), 1e-9) << where;
            EXPECT_NEAR(coverage, db.getCoverage(), 1e-9) << where;
            ++checks;
        } else if (kind == "cell") {
            unsigned column = 0, row = 0;
            std::string value;
            fields >> column >> row >> value;
            double expected = value == "missing" ? MISSING_VALUE : std::stod(value);
            EXPECT_DOUBLE_EQ(expected, db.valueAtCell(column, row)) << where << ", cell " << column << "/" << row;
        } else {
            ADD_FAILURE() << "unknown line in " << expectationsPath << ": " << line;
        }
    }
    EXPECT_GT(checks, 10) << "too few months in " << expectationsPath;
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <expectations file>\n", argv[0]);
        return 2;
    }
    expectationsPath = argv[1];
    return RUN_ALL_TESTS();
}
