#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "CsvSeriesWriter.h"
#include "ExportTestSupport.h"
#include "OrvexDatabase.h"
#include "SeriesExport.h"
#include "WException.h"
#include "WSystem.h"

namespace {

// The export written the plain way, as the reference for the file
// SeriesExport writes: one load per month, each line formatted and its
// points replaced on its own.
std::string referenceExport(const std::string& dataSet, const SeriesRange& range,
                            PositionCollection* positions)
{
    OrvexDatabase database;
    database.open(OrvexDatabase::TYPE_GRID_FILE, dataSet.c_str());
    std::string names;
    if (positions != nullptr) {
        while (positions->hasMoreElements()) {
            Position& p = positions->nextPosition();
            names += (names.empty() ? "" : ", ") + std::string(p.name);
        }
    }
    std::string out = "Datenbank: " + dataSet.substr(dataSet.find_last_of("/\\") + 1) +
                      "\r\n-99,9 Keine Daten\r\n";
    out += positions != nullptr
               ? "Jahr;Monat;Anomalie Gesamt;Anomalie " + names + ";Abdeckung in Prozent\r\n"
               : "Jahr;Monat;Anomalie Gesamt;Abdeckung in Prozent\r\n";
    auto line = [&](const std::string& year, const std::string& month, double global,
                    double position, bool positionMissing, double coverage) {
        char text[256];
        unsigned percent = static_cast<unsigned>(WSystem::round(coverage, 0));
        if (positions == nullptr)
            std::snprintf(text, sizeof text, "%s;%s;%f;%u", year.c_str(), month.c_str(), global,
                          percent);
        else if (positionMissing)
            std::snprintf(text, sizeof text, "%s;%s;%f;-99.9;%u", year.c_str(), month.c_str(),
                          global, percent);
        else
            std::snprintf(text, sizeof text, "%s;%s;%f;%f;%u", year.c_str(), month.c_str(), global,
                          position, percent);
        std::string s = text;
        for (char& c : s)
            if (c == '.')
                c = ',';
        out += s + "\r\n";
    };
    auto span = [](unsigned first, unsigned last) {
        return first == last ? std::to_string(first)
                             : std::to_string(first) + " bis " + std::to_string(last);
    };
    unsigned m = range.stopMonth >= range.startMonth ? range.stopMonth - range.startMonth + 1
                                                     : range.stopMonth + 13 - range.startMonth;
    for (unsigned year = range.startYear; year <= range.stopYear; ++year) {
        double global = 0, position = 0, coverage = 0;
        unsigned withPosition = 0, firstYear = 0, firstMonth = 0, lastYear = 0, lastMonth = 0;
        for (unsigned k = 0; k < m; ++k) {
            unsigned index = year * 12 + range.startMonth - 1 + k;
            unsigned y = index / 12, mo = index % 12 + 1;
            if (k == 0) {
                firstYear = y;
                firstMonth = mo;
            }
            lastYear = y;
            lastMonth = mo;
            database.load(y, mo, false);
            double mean = positions != nullptr ? positions->meanValue(database) : 0.0;
            if (!range.monthlyAverage) {
                line(std::to_string(y), std::to_string(mo), database.getGlobalMean(), mean,
                     mean == MISSING_VALUE, database.getCoverage());
                continue;
            }
            global += database.getGlobalMean();
            coverage += database.getCoverage();
            if (mean != MISSING_VALUE) {
                position += mean;
                ++withPosition;
            }
        }
        if (range.monthlyAverage)
            line(span(firstYear, lastYear), span(firstMonth, lastMonth), global * (1.0 / m),
                 withPosition > 0 ? position * (1.0 / withPosition) : 0.0, withPosition == 0,
                 coverage * (1.0 / m));
    }
    return out;
}

// Counts what the export reports and cancels after a given month.
struct Recorder : SeriesExport::Listener {
    explicit Recorder(std::atomic<bool>* cancel = nullptr, unsigned long long cancelAfter = 0)
        : cancel(cancel), cancelAfter(cancelAfter)
    {
    }
    void onExportStart(unsigned long long months) override { total = months; }
    void onExportProgress(unsigned long long done) override
    {
        progress.push_back(done);
        if (cancel != nullptr && done == cancelAfter)
            *cancel = true;
    }
    std::atomic<bool>* cancel;
    unsigned long long cancelAfter;
    unsigned long long total = 0;
    std::vector<unsigned long long> progress;
};

std::string exportToFile(const std::string& dataSet, const SeriesRange& range,
                         const PositionCollection* positions, Recorder& recorder,
                         bool* completed = nullptr)
{
    std::atomic<bool> cancel(false);
    if (recorder.cancel == nullptr)
        recorder.cancel = &cancel;
    SeriesExport series(dataSet.c_str(), range, positions);
    bool done = series.write("series.csv", *recorder.cancel, &recorder);
    if (completed != nullptr)
        *completed = done;
    return readFile("series.csv");
}

double syntheticValue(int month)
{
    // March 1850 has no data at all.
    return month == 3 ? -99.9 : (month - 12) * 0.25;
}

} // namespace

TEST(SeriesExportTest, RangesOfTheRealGridMatchTheReferenceByteForByte)
{
    PositionCollection cities;
    addThreeCities(cities);
    struct Case {
        SeriesRange range;
        bool withPositions;
        size_t dataLines;
        const char* firstFields;
        const char* lastFields;
    } cases[] = {
        {{1990, 1, 1990, 12, false}, false, 12, "1990;1", "1990;12"},
        {{1990, 1, 1990, 12, false}, true, 12, "1990;1", "1990;12"},
        {{1850, 1, 2007, 11, false}, true, 158 * 11, "1850;1", "2007;11"},
        {{1990, 11, 1991, 2, false}, false, 8, "1990;11", "1992;2"},
        {{1990, 11, 1991, 2, true}, true, 2, "1990 bis 1991;11 bis 2", "1991 bis 1992;11 bis 2"},
        {{1990, 3, 1992, 3, true}, false, 3, "1990;3", "1992;3"},
        // Years beyond the data: the cleared field.
        {{2100, 6, 2100, 7, false}, true, 2, "2100;6", "2100;7"},
    };
    for (const Case& c : cases) {
        std::string label =
            std::to_string(c.range.startYear) + "/" + std::to_string(c.range.startMonth) + "-" +
            std::to_string(c.range.stopYear) + "/" + std::to_string(c.range.stopMonth) +
            (c.range.monthlyAverage ? " averaged" : "") +
            (c.withPositions ? " with positions" : "");
        Recorder recorder;
        bool completed = false;
        std::string written = exportToFile(
            hadcrut3v(), c.range, c.withPositions ? &cities : nullptr, recorder, &completed);
        EXPECT_TRUE(completed) << label;
        ASSERT_EQ(referenceExport(hadcrut3v(), c.range, c.withPositions ? &cities : nullptr),
                  written)
            << label;

        std::vector<std::string> lines = splitLines(written);
        ASSERT_EQ(3 + c.dataLines, lines.size()) << label;
        EXPECT_EQ("Datenbank: hadcrut3v.dat", lines[0]);
        EXPECT_EQ(c.withPositions ? "Jahr;Monat;Anomalie Gesamt;Anomalie Berlin, Sydney, New "
                                    "York;Abdeckung in Prozent"
                                  : "Jahr;Monat;Anomalie Gesamt;Abdeckung in Prozent",
                  lines[2]);
        for (size_t i = 3; i < lines.size(); ++i) {
            std::vector<std::string> fields = splitFields(lines[i]);
            ASSERT_EQ(c.withPositions ? 5u : 4u, fields.size()) << label << ": " << lines[i];
            if (c.range.startMonth == 1 && c.range.stopMonth == 11) {
                EXPECT_NE("12", fields[1]) << "no December when the range ends in November";
            }
        }
        EXPECT_EQ(0u, lines[3].find(std::string(c.firstFields) + ";")) << label;
        EXPECT_EQ(0u, lines.back().find(std::string(c.lastFields) + ";")) << label;

        unsigned long long months =
            c.dataLines * (c.range.monthlyAverage
                               ? SeriesExport::monthsPerGroup(c.range.startMonth, c.range.stopMonth)
                               : 1);
        EXPECT_EQ(months, recorder.total) << label;
        ASSERT_EQ(months, recorder.progress.size()) << label;
        EXPECT_EQ(months, recorder.progress.back()) << label;
    }
}

TEST(SeriesExportTest, MissingPositionValuesGroupsAndCancellingOnAKnownGrid)
{
    writeFile("synthetic.dat", syntheticGrid(24, syntheticValue));
    PositionCollection positions;
    positions.add(makePosition("Kap Arkona", 54, 41, false, 13, 26, false), false);
    positions.add(makePosition("Südpolarmeer", 60, 0, true, 20, 0, true), false);
    const std::string heading = "Datenbank: synthetic.dat\r\n-99,9 Keine Daten\r\n";

    Recorder plain;
    EXPECT_EQ(heading + "Jahr;Monat;Anomalie Gesamt;Abdeckung in Prozent\r\n"
                        "1850;1;-2,750000;50\r\n"
                        "1850;2;-2,500000;50\r\n"
                        "1850;3;0,000000;0\r\n"
                        "1850;4;-2,000000;50\r\n",
              exportToFile("synthetic.dat", {1850, 1, 1850, 4, false}, nullptr, plain))
        << "without positions four fields, as the heading names them";

    // A month in which no position has a value, and months past the end of
    // the file, write -99,9 for the positions.
    Recorder monthly;
    EXPECT_EQ(heading + "Jahr;Monat;Anomalie Gesamt;Anomalie Kap Arkona, Südpolarmeer;Abdeckung "
                        "in Prozent\r\n"
                        "1850;2;-2,500000;-2,500000;50\r\n"
                        "1850;3;0,000000;-99,9;0\r\n"
                        "1851;2;0,500000;0,500000;50\r\n"
                        "1851;3;0,750000;0,750000;50\r\n"
                        "1852;2;0,000000;-99,9;0\r\n"
                        "1852;3;0,000000;-99,9;0\r\n",
              exportToFile("synthetic.dat", {1850, 2, 1852, 3, false}, &positions, monthly));

    // Averaged, the position column is the mean of the months with a value.
    Recorder averaged;
    EXPECT_EQ(heading + "Jahr;Monat;Anomalie Gesamt;Anomalie Kap Arkona, Südpolarmeer;Abdeckung "
                        "in Prozent\r\n"
                        "1850;2 bis 4;-1,500000;-2,250000;33\r\n"
                        "1851;2 bis 4;0,750000;0,750000;50\r\n"
                        "1852;2 bis 4;0,000000;-99,9;0\r\n",
              exportToFile("synthetic.dat", {1850, 2, 1852, 4, true}, &positions, averaged));

    // Cancelled during the fourth month of a twelve-month group: the group's
    // line is the mean of the three months read.
    std::atomic<bool> cancel(false);
    Recorder cancelling(&cancel, 3);
    bool completed = true;
    SeriesExport series("synthetic.dat", {1850, 1, 1851, 12, true}, &positions);
    completed = series.write("series.csv", cancel, &cancelling);
    EXPECT_FALSE(completed);
    EXPECT_EQ(1850u, series.getLastYear());
    EXPECT_EQ(3u, series.getLastMonth());
    EXPECT_EQ(24u, cancelling.total);
    EXPECT_EQ(3u, cancelling.progress.size());
    EXPECT_EQ(heading + "Jahr;Monat;Anomalie Gesamt;Anomalie Kap Arkona, Südpolarmeer;Abdeckung "
                        "in Prozent\r\n"
                        "1850;1 bis 3;-1,750000;-2,625000;33\r\n",
              readFile("series.csv"));

    // Cancelled before the first month: only the heading.
    std::atomic<bool> early(true);
    SeriesExport none("synthetic.dat", {1850, 1, 1851, 12, false}, nullptr);
    EXPECT_FALSE(none.write("series.csv", early, nullptr));
    EXPECT_EQ(0u, none.getLastYear());
    EXPECT_EQ(0u, none.getLastMonth());
    EXPECT_EQ(heading + "Jahr;Monat;Anomalie Gesamt;Abdeckung in Prozent\r\n",
              readFile("series.csv"));
}

TEST(SeriesExportTest, WorksOnTheCopyOfThePositionsTakenWhenMade)
{
    writeFile("synthetic.dat", syntheticGrid(24, syntheticValue));
    PositionCollection positions;
    positions.add(makePosition("Kap; \"Arkona\"", 54, 41, false, 13, 26, false), false);
    SeriesExport series("synthetic.dat", {1850, 1, 1850, 1, false}, &positions);
    // Changed afterwards (as the window thread may): the export does not see it.
    positions.replace(1, makePosition("Südpolarmeer", 60, 0, true, 20, 0, true));
    positions.add(makePosition("Äquator", 0, 0, false, 0, 0, false), false);
    std::atomic<bool> cancel(false);
    EXPECT_TRUE(series.write("series.csv", cancel, nullptr));
    EXPECT_EQ("Datenbank: synthetic.dat\r\n-99,9 Keine Daten\r\n"
              "Jahr;Monat;Anomalie Gesamt;Anomalie Kap, 'Arkona';Abdeckung in Prozent\r\n"
              "1850;1;-2,750000;-2,750000;50\r\n",
              readFile("series.csv"))
        << "a semicolon or quote in a name would break the columns";
    EXPECT_EQ(2u, positions.size());
}

// The heading names every position however many there are and however long
// their names: its last column is the coverage, as in every data line.
TEST(SeriesExportTest, TheHeadingHoldsEveryNameAndTheLastColumn)
{
    writeFile("synthetic.dat", syntheticGrid(24, syntheticValue));
    struct Case {
        const char* label;
        std::vector<std::string> names;
    } cases[] = {
        {"ninety positions", {}},
        {"one long name", {std::string(3000, 'L')}},
        {"a long name among short ones", {"Berlin", std::string(1100, 'M') + "ünchen", "Wien"}},
    };
    for (int i = 1; i <= 90; ++i)
        cases[0].names.push_back("Messstation " + std::to_string(i));
    for (const Case& c : cases) {
        PositionCollection positions;
        std::string joined;
        for (const std::string& name : c.names) {
            positions.add(makePosition(name.c_str(), 54, 41, false, 13, 26, false), false);
            joined += (joined.empty() ? "" : ", ") + name;
        }
        Recorder recorder;
        std::vector<std::string> lines = splitLines(
            exportToFile("synthetic.dat", {1850, 1, 1850, 2, false}, &positions, recorder));
        ASSERT_EQ(5u, lines.size()) << c.label;
        EXPECT_EQ("Jahr;Monat;Anomalie Gesamt;Anomalie " + joined + ";Abdeckung in Prozent",
                  lines[2])
            << c.label;
        EXPECT_EQ(splitFields(lines[3]).size(), splitFields(lines[2]).size()) << c.label;
    }
}

TEST(SeriesExportTest, LineFormatAndFailuresOfTheFile)
{
    CsvSeriesWriter writer(true);
    writer.create("lines.csv");
    writer.writeHeading("hadcrut3.dat", "Positionen");
    writer.writeMonth(1990, 7, -0.27, 0.123456, 83.5);
    writer.writeMonth(1990, 8, 0.0, MISSING_VALUE, 83.49);
    writer.writeGroup("1990 bis 1991", "11 bis 2", 1.5, -12.3456789, 0.5);
    writer.close();
    EXPECT_EQ("Datenbank: hadcrut3.dat\r\n"
              "-99,9 Keine Daten\r\n"
              "Jahr;Monat;Anomalie Gesamt;Anomalie Positionen;Abdeckung in Prozent\r\n"
              "1990;7;-0,270000;0,123456;84\r\n"
              "1990;8;0,000000;-99,9;83\r\n"
              "1990 bis 1991;11 bis 2;1,500000;-12,345679;1\r\n",
              readFile("lines.csv"));

    // A file another program holds open without sharing cannot be created.
    HANDLE locked = CreateFileA("locked.csv", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    std::atomic<bool> cancel(false);
    SeriesExport series(hadcrut3v().c_str(), {1990, 1, 1990, 12, false}, nullptr);
    EXPECT_THROW(series.write("locked.csv", cancel, nullptr), WFileException);
    CloseHandle(locked);

    SeriesExport missing("data/cru/nicht-da.dat", {1990, 1, 1990, 12, false}, nullptr);
    EXPECT_THROW(missing.write("series.csv", cancel, nullptr), WFileNotFoundException);
}

// Files for check_export_csv.py, which reads them back after this program
// has run and compares every value with the grid file read directly.
TEST(SeriesExportTest, WritesTheFilesOfTheIndependentCheck)
{
    PositionCollection cities;
    addThreeCities(cities);
    std::atomic<bool> cancel(false);
    SeriesExport months(hadcrut3v().c_str(), {1850, 1, 2014, 12, false}, &cities);
    ASSERT_TRUE(months.write("independent_months.csv", cancel, nullptr));
    SeriesExport groups(hadcrut3v().c_str(), {1850, 11, 2013, 2, true}, &cities);
    ASSERT_TRUE(groups.write("independent_groups.csv", cancel, nullptr));
    SeriesExport plain(hadcrut3v().c_str(), {1850, 1, 2014, 12, false}, nullptr);
    ASSERT_TRUE(plain.write("independent_plain.csv", cancel, nullptr));
}
