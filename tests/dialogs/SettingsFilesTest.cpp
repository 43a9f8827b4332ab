#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "PositionCollection.h"
#include "SettingsFiles.h"
#include "SettingsSession.h"
#include "TempDir.h"
#include "WException.h"

namespace {

void writeBytes(const std::string& name, const std::string& content)
{
    HANDLE h = CreateFileW(TempDir::toWide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << name;
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
}

std::string readBytes(const std::string& name)
{
    HANDLE h = CreateFileW(TempDir::toWide(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string content;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        content.append(chunk, got);
    CloseHandle(h);
    return content;
}

bool exists(const std::string& name)
{
    return GetFileAttributesW(TempDir::toWide(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

ProgramSettings read(const std::string& name)
{
    ProgramSettings settings;
    SettingsFiles::readSettings(name.c_str(), settings);
    return settings;
}

// "number name lat° lat' lat'' S lon° lon' lon'' W" of every position, in order.
std::vector<std::string> listed(PositionCollection& positions)
{
    std::vector<std::string> out;
    positions.reset();
    while (positions.hasMoreElements()) {
        const Position& p = positions.nextPosition();
        const GmsCoordinates& c = p.coordinates;
        char line[2048];
        snprintf(line, sizeof(line), "%u %s %d %d %d %d %d %d %d %d", positions.getCurrentNumber(),
                 static_cast<const char*>(p.name), c.latDegrees, c.latMinutes, c.latSeconds,
                 c.latSouth, c.lonDegrees, c.lonMinutes, c.lonSeconds, c.lonWest);
        out.push_back(line);
    }
    positions.reset();
    return out;
}

Position position(const char* name, int latDegrees, int lonDegrees)
{
    Position p;
    p.name = name;
    p.coordinates.latDegrees = latDegrees;
    p.coordinates.latMinutes = 31;
    p.coordinates.latSeconds = 7;
    p.coordinates.lonDegrees = lonDegrees;
    p.coordinates.lonMinutes = 24;
    p.coordinates.lonWest = 1;
    return p;
}

} // namespace

TEST(SettingsFilesTest, InitFileDefaultsZerosAndHostileValues)
{
    TempDir dir;
    std::string init = dir.file("init.txt");

    EXPECT_THROW(read(init), WFileNotFoundException);

    writeBytes(init, "DB_FILE=data/cru/hadcrut4.dat\r\n");
    ProgramSettings onlyFile = read(init);
    EXPECT_STREQ("data/cru/hadcrut4.dat", onlyFile.dataFile);
    EXPECT_EQ(1990, onlyFile.year);
    EXPECT_EQ(6, onlyFile.month);
    EXPECT_EQ(2, onlyFile.mapType);
    EXPECT_EQ(75, onlyFile.scalePercent);
    EXPECT_FALSE(onlyFile.yearAverage);
    EXPECT_FALSE(onlyFile.orthographic);

    writeBytes(init, "DB_FILE=\nYEAR=0\nMONTH=0\nMAP_TYPE=0\nSCALE_PERCENT=0\n"
                     "YEAR_AVERAGE=true\nORTH_VIEW=yes\n");
    ProgramSettings zeros = read(init);
    EXPECT_STREQ("data/cru/hadcrut3v.dat", zeros.dataFile) << "an empty DB_FILE is absent";
    EXPECT_EQ(1990, zeros.year) << "0 counts as absent";
    EXPECT_EQ(6, zeros.month);
    EXPECT_EQ(2, zeros.mapType);
    EXPECT_EQ(75, zeros.scalePercent);
    EXPECT_TRUE(zeros.yearAverage);
    EXPECT_TRUE(zeros.orthographic);

    writeBytes(init, "YEAR=4000000000\nMONTH=13\nMAP_TYPE=-3\nSCALE_PERCENT=7\n");
    ProgramSettings absurd = read(init);
    EXPECT_EQ(2147483647, absurd.year) << "saturated, handed to the data set as it stands";
    EXPECT_EQ(13, absurd.month);
    EXPECT_EQ(-3, absurd.mapType) << "outlines only";
    EXPECT_EQ(75, absurd.scalePercent) << "a window of 7 % counts as absent";
    writeBytes(init, "SCALE_PERCENT=100000\n");
    EXPECT_EQ(75, read(init).scalePercent) << "a map far beyond the screen counts as absent";

    std::string garbage;
    for (int i = 0; i < 200000; ++i)
        garbage += static_cast<char>((i * 7919) % 251);
    writeBytes(init, garbage);
    ProgramSettings binary = read(init);
    EXPECT_STREQ("data/cru/hadcrut3v.dat", binary.dataFile) << "binary garbage gives the defaults";
    EXPECT_EQ(1990, binary.year);
    EXPECT_EQ(75, binary.scalePercent);
}

TEST(SettingsFilesTest, InitFileIsWrittenByteForByteAndReadBack)
{
    TempDir dir;
    std::string init = dir.file("init.txt");
    ProgramSettings state;
    state.dataFile = "data/cru/hadcrut4.dat";
    state.year = 1998;
    state.month = 3;
    state.mapType = 4;
    state.scalePercent = 50;
    state.yearAverage = true;
    state.orthographic = false;
    writeBytes(init, "old content that must go\r\n");
    SettingsFiles::writeSettings(init.c_str(), state);
    EXPECT_EQ("DB_FILE=data/cru/hadcrut4.dat\r\nYEAR=1998\r\nMONTH=3\r\nYEAR_AVERAGE=true\r\n"
              "SCALE_PERCENT=50\r\nMAP_TYPE=4\r\nORTH_VIEW=false\r\n",
              readBytes(init));
    EXPECT_FALSE(exists(init + ".new")) << "no temporary file is left";
    ProgramSettings back = read(init);
    EXPECT_STREQ("data/cru/hadcrut4.dat", back.dataFile);
    EXPECT_EQ(1998, back.year);
    EXPECT_EQ(3, back.month);
    EXPECT_EQ(4, back.mapType);
    EXPECT_EQ(50, back.scalePercent);
    EXPECT_TRUE(back.yearAverage);
    EXPECT_FALSE(back.orthographic);
}

// A failed write leaves the previous file as it was, and no temporary file.
TEST(SettingsFilesTest, FailedWritesKeepThePreviousFiles)
{
    TempDir dir;
    std::string init = dir.file("init.txt");
    std::string positionsFile = dir.file("positions.txt");
    writeBytes(init, "YEAR=1977\r\n");
    writeBytes(positionsFile, "Berlin\t52\t31\t0\t0\t13\t24\t0\t0\r\n");
    ProgramSettings state;
    PositionCollection positions;
    positions.add(position("Neu", 1, 2), false);

    // The files are held open without sharing: nothing can replace them.
    HANDLE heldInit = CreateFileW(TempDir::toWide(init).c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
    HANDLE heldPositions = CreateFileW(TempDir::toWide(positionsFile).c_str(), GENERIC_READ, 0,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, heldInit);
    ASSERT_NE(INVALID_HANDLE_VALUE, heldPositions);
    EXPECT_THROW(SettingsFiles::writeSettings(init.c_str(), state), WFileException);
    EXPECT_THROW(SettingsFiles::writePositions(positionsFile.c_str(), positions), WFileException);
    CloseHandle(heldInit);
    CloseHandle(heldPositions);
    EXPECT_EQ("YEAR=1977\r\n", readBytes(init));
    EXPECT_EQ("Berlin\t52\t31\t0\t0\t13\t24\t0\t0\r\n", readBytes(positionsFile));
    EXPECT_FALSE(exists(init + ".new"));
    EXPECT_FALSE(exists(positionsFile + ".new"));

    // A folder that does not exist: the temporary file cannot be made.
    std::string nowhere = dir.file("missing\\init.txt");
    EXPECT_THROW(SettingsFiles::writeSettings(nowhere.c_str(), state), WException);
}

TEST(SettingsFilesTest, PositionsFileLinesAndRoundTrip)
{
    TempDir dir;
    std::string name = dir.file("positions.txt");
    PositionCollection missing;
    EXPECT_THROW(SettingsFiles::readPositions(name.c_str(), missing), WFileNotFoundException);

    writeBytes(name, "# a comment\t1\t2\t3\t4\t5\t6\t7\t8\r\n"
                     "  Berlin\t52\t31\t0\t0\t13\t24\t0\t0  \r\n"
                     "\r\n"
                     "Short\t1\t2\t3\t4\t5\t6\t7\r\n"
                     "Neue Position\t-33\t+5\t9\t1\t999\t61x\tabc\t1\textra\tfields\n"
                     "   \t   \n"
                     "Nord\t10\t0\t0\t0\t20\t0\t0\t0");
    PositionCollection positions;
    SettingsFiles::readPositions(name.c_str(), positions);
    std::vector<std::string> expected = {
        "1 Berlin 52 31 0 0 13 24 0 0",
        "2 Neue Position -33 5 9 1 999 61 0 1",
        "3 Nord 10 0 0 0 20 0 0 0",
    };
    EXPECT_EQ(expected, listed(positions))
        << "comments, blank and short lines skipped; fields past the ninth ignored";
    EXPECT_EQ(3U, positions.getLastNumber());

    // Numbers stay unique after removals: the new one takes a free number.
    positions.remove(1);
    unsigned int added = positions.add(position("Zuletzt", 40, 5), false);
    EXPECT_NE(2U, added);
    EXPECT_NE(3U, added);
    SettingsFiles::writePositions(name.c_str(), positions);
    EXPECT_EQ("Neue Position\t-33\t5\t9\t1\t999\t61\t0\t1\r\n"
              "Nord\t10\t0\t0\t0\t20\t0\t0\t0\r\n"
              "Zuletzt\t40\t31\t7\t0\t5\t24\t0\t1\r\n",
              readBytes(name))
        << "insertion order, minutes before seconds";
    ASSERT_TRUE(positions.hasMoreElements()) << "the iteration is rewound after writing";
    EXPECT_STREQ("Neue Position", positions.nextPosition().name);

    PositionCollection back;
    SettingsFiles::readPositions(name.c_str(), back);
    EXPECT_EQ(
        (std::vector<std::string>{"1 Neue Position -33 5 9 1 999 61 0 1",
                                  "2 Nord 10 0 0 0 20 0 0 0", "3 Zuletzt 40 31 7 0 5 24 0 1"}),
        listed(back));

    // A very long name survives whole.
    PositionCollection longName;
    std::string huge(5000, 'n');
    longName.add(position(huge.c_str(), 1, 2), false);
    SettingsFiles::writePositions(name.c_str(), longName);
    PositionCollection longBack;
    SettingsFiles::readPositions(name.c_str(), longBack);
    ASSERT_EQ(1UL, longBack.size());
    EXPECT_EQ(huge, std::string(static_cast<const char*>(longBack.find(1)->name)));
}

// Hostile positions files: many lines, one enormous line; every position is
// kept and written back as it was read.
TEST(SettingsFilesTest, LargePositionsFilesAreReadWhole)
{
    TempDir dir;
    std::string name = dir.file("positions.txt");
    std::string many;
    for (int i = 0; i < 100000; ++i)
        many += "P" + std::to_string(i) + "\t1\t2\t3\t0\t4\t5\t6\t0\r\n";
    writeBytes(name, many);
    PositionCollection positions;
    SettingsFiles::readPositions(name.c_str(), positions);
    EXPECT_EQ(100000UL, positions.size()) << "no position is dropped";
    EXPECT_EQ(100000U, positions.getLastNumber());
    EXPECT_STREQ("P99999", positions.find(100000)->name);
    SettingsFiles::writePositions(name.c_str(), positions);
    EXPECT_TRUE(many == readBytes(name)) << "written back byte for byte";

    writeBytes(name, std::string(10 * 1024 * 1024, 'x') + "\nOk\t1\t2\t3\t0\t4\t5\t6\t0\n");
    PositionCollection afterLongLine;
    SettingsFiles::readPositions(name.c_str(), afterLongLine);
    ASSERT_EQ(1UL, afterLongLine.size()) << "a 10 MB line without tabs is skipped";
    EXPECT_STREQ("Ok", afterLongLine.find(1)->name);
}

// Names that positions.txt cannot hold are exactly those the rule names:
// every byte alone, at the start, inside and at the end of a name.
TEST(SettingsFilesTest, ANameComesBackFromTheFileExactlyWhenTheRuleAllowsIt)
{
    TempDir dir;
    std::string file = dir.file("positions.txt");
    std::vector<std::string> names = {"", "Neue Position", "Berlin ", "a#b", "x\r", "a\rb"};
    for (int code = 0; code < 256; ++code) {
        std::string c(1, static_cast<char>(code));
        for (const std::string& name : {c, c + "Ort", "Ort" + c, "O" + c + "rt"})
            names.push_back(name);
    }
    // Each name is followed by a marker, so that what a name turned into
    // (nothing, itself, or a piece of it) is what comes back before its marker.
    PositionCollection positions;
    for (size_t i = 0; i < names.size(); ++i) {
        Position p = position("", 10, 20);
        p.name.assign(names[i].data(), static_cast<unsigned long>(names[i].size()));
        positions.add(p, false);
        positions.add(position(("Marke " + std::to_string(i)).c_str(), 10, 20), false);
    }
    SettingsFiles::writePositions(file.c_str(), positions);
    PositionCollection back;
    SettingsFiles::readPositions(file.c_str(), back);

    std::vector<std::vector<std::string>> cameBack(1);
    back.reset();
    while (back.hasMoreElements()) {
        const WString& name = back.nextPosition().name;
        std::string text(static_cast<const char*>(name), name.length());
        if (text == "Marke " + std::to_string(cameBack.size() - 1))
            cameBack.emplace_back();
        else
            cameBack.back().push_back(text);
    }
    ASSERT_EQ(names.size() + 1, cameBack.size()) << "every marker came back";
    for (size_t i = 0; i < names.size(); ++i) {
        const char* problem = SettingsFiles::positionNameProblem(
            WString(names[i].data(), static_cast<unsigned long>(names[i].size())));
        EXPECT_EQ(problem == nullptr, cameBack[i] == std::vector<std::string>{names[i]})
            << "name of bytes " << ::testing::PrintToString(names[i]) << ": "
            << (problem != nullptr ? problem : "allowed");
    }

    // Each refused character is named in the message.
    const struct {
        const char* name;
        const char* named;
    } refused[] = {{" ", "Leerzeichen"},  {" Berlin", "Leerzeichen"}, {"#1", "»#«"},
                   {"Berg\tTal", "Tabulator"}, {"Zeile\nZwei", "Zeilenumbruch"},
                   {"\rOrt", "Wagenrücklauf"}};
    for (const auto& r : refused) {
        const char* problem = SettingsFiles::positionNameProblem(WString(r.name));
        ASSERT_NE(nullptr, problem) << r.name;
        EXPECT_NE(nullptr, std::strstr(problem, r.named)) << problem;
    }
    EXPECT_NE(nullptr, std::strstr(SettingsFiles::positionNameProblem(WString("a\0b", 3)),
                                   "Nullzeichen"));
}

namespace {

const char* const initRead = "YEAR=1977\r\n";
const char* const positionsRead = "Berlin\t52\t31\t0\t0\t13\t24\t0\t0\r\n";
const char* const initWritten = "DB_FILE=data/cru/hadcrut3v.dat\r\nYEAR=2001\r\nMONTH=6\r\n"
                                "YEAR_AVERAGE=false\r\nSCALE_PERCENT=75\r\nMAP_TYPE=2\r\n"
                                "ORTH_VIEW=false\r\n";
const char* const addedPosition = "Neu\t1\t31\t7\t0\t2\t24\t0\t1\r\n";

// Holds a file open without sharing, as another program may.
class Lock {
public:
    explicit Lock(const std::string& name)
        : handle(CreateFileW(TempDir::toWide(name).c_str(), GENERIC_READ, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr))
    {
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock() { release(); }
    bool held() const { return handle != INVALID_HANDLE_VALUE; }
    void release()
    {
        if (held())
            CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle;
};

} // namespace

// One run with settings files another program holds, that are folders or
// that cannot be replaced at the end: a file the run could not read is never
// written, a file it cannot write is left as it was, and the user is told
// in German what happened and what to do, above the failure's own line.
TEST(SettingsFilesTest, ARunNeverWritesAFileItCouldNotRead)
{
    const std::string unreadable = "ist vorhanden, konnte aber nicht";
    const std::string unwritable = "Konfiguration konnte nicht gespeichert werden: ";
    enum Hostile { NONE, LOCKED_AT_START, FOLDER, LOCKED_AT_END, FOLDER_AT_END };
    const struct {
        const char* name;
        Hostile init;
        Hostile positions;
        std::vector<std::string> messages; // "file: sentence start"
        std::string initAfter;             // "<folder>" for a folder
        std::string positionsAfter;
    } cases[] = {
        {"both readable", NONE, NONE, {}, initWritten,
         std::string(positionsRead) + addedPosition},
        {"init.txt locked at start", LOCKED_AT_START, NONE, {"init.txt: " + unreadable},
         initRead, std::string(positionsRead) + addedPosition},
        {"positions.txt locked at start", NONE, LOCKED_AT_START,
         {"positions.txt: " + unreadable}, initWritten, positionsRead},
        {"both folders", FOLDER, FOLDER,
         {"init.txt: " + unreadable, "positions.txt: " + unreadable}, "<folder>", "<folder>"},
        {"init.txt cannot be replaced at the end", FOLDER_AT_END, NONE,
         {"init.txt: " + unwritable}, "<folder>", std::string(positionsRead) + addedPosition},
        {"positions.txt locked at the end", NONE, LOCKED_AT_END,
         {"positions.txt: " + unwritable}, initWritten, positionsRead},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string files[2] = {dir.file("init.txt"), dir.file("positions.txt")};
        const Hostile hostile[2] = {c.init, c.positions};
        writeBytes(files[0], initRead);
        writeBytes(files[1], positionsRead);
        std::unique_ptr<Lock> locks[2];
        for (int i = 0; i < 2; ++i) {
            if (hostile[i] == LOCKED_AT_START) {
                locks[i].reset(new Lock(files[i]));
                ASSERT_TRUE(locks[i]->held());
            } else if (hostile[i] == FOLDER || hostile[i] == FOLDER_AT_END) {
                DeleteFileW(TempDir::toWide(files[i]).c_str());
            }
            if (hostile[i] == FOLDER) {
                ASSERT_TRUE(CreateDirectoryW(TempDir::toWide(files[i]).c_str(), nullptr));
            }
        }

        DialogDriver driver; // records and answers the message boxes
        SettingsSession session(files[0].c_str(), files[1].c_str());
        ProgramSettings settings;
        PositionCollection positions;
        session.load(nullptr, settings, positions);

        // The other program lets go, the run goes on and the user changes things.
        for (int i = 0; i < 2; ++i) {
            if (locks[i])
                locks[i]->release();
            if (hostile[i] == LOCKED_AT_END) {
                locks[i].reset(new Lock(files[i]));
            } else if (hostile[i] == FOLDER_AT_END) {
                ASSERT_TRUE(CreateDirectoryW(TempDir::toWide(files[i]).c_str(), nullptr));
            }
        }
        settings.year = 2001;
        positions.add(position("Neu", 1, 2), false);
        session.save(nullptr, settings, positions);
        for (std::unique_ptr<Lock>& lock : locks)
            lock.reset();

        std::vector<std::string> shown;
        for (const DialogDriver::Message& m : driver.getMessages()) {
            EXPECT_EQ("Error", m.caption);
            // The sentence, an empty line, the failure's own line.
            size_t gap = m.text.find("\r\n\r\n");
            ASSERT_NE(std::string::npos, gap) << m.text;
            std::string sentence = m.text.substr(0, gap);
            std::string failure = m.text.substr(gap + 4);
            std::string file = sentence.find("»init.txt«") != std::string::npos ? "init.txt"
                                                                                 : "positions.txt";
            EXPECT_EQ(0U, failure.find("WFileException: Cannot ")) << failure;
            bool told = sentence.find(unreadable) != std::string::npos;
            bool toldUnwritable = sentence.find(unwritable) == 0;
            shown.push_back(file + ": " +
                            (told ? unreadable : toldUnwritable ? unwritable : sentence));
            EXPECT_NE(std::string::npos, sentence.find("rüfen Sie")) << "what to do";
            if (told) {
                EXPECT_NE(std::string::npos, sentence.find("nicht gespeichert")) << sentence;
            }
        }
        EXPECT_EQ(c.messages, shown);
        for (int i = 0; i < 2; ++i) {
            bool folder = (GetFileAttributesW(TempDir::toWide(files[i]).c_str()) &
                           FILE_ATTRIBUTE_DIRECTORY) != 0;
            EXPECT_EQ(i == 0 ? c.initAfter : c.positionsAfter,
                      folder ? "<folder>" : readBytes(files[i]))
                << files[i];
            EXPECT_FALSE(exists(files[i] + ".new")) << "no temporary file is left";
        }
    }
}
