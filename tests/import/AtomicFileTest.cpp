// Atomic writing of a grid file and the folders around it, in the cases an
// import meets: a new file, a replaced one, a failure before the commit, a
// file the program holds open, a folder in the file's place, a folder that
// cannot be written to.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "ImportFailure.h"
#include "ImportFolders.h"
#include "TempDir.h"

namespace {

bool exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The file's bytes; "<none>" when there is no file.
std::string contents(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return "<none>";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return "<folder>";
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> partFiles(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((folder + "\\*.part").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do
            names.push_back(data.cFileName);
        while (FindNextFileA(search, &data));
        FindClose(search);
    }
    return names;
}

// A handle held open on the target for the length of a case.
struct HeldFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~HeldFile()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};

} // namespace

TEST(AtomicFileTest, ReplacesTheFileOnlyOnCommitAndLeavesNothingBehind)
{
    const std::string grid = std::string(1000000, 'g') + "\r\n";
    const struct Case {
        const char* name;
        std::function<void(const std::string& target, HeldFile& open)> prepare;
        bool commit;
        const char* failure;       // the English text, "%s" for the path; null: none
        const char* constructed;   // "" when the constructor throws the failure
        std::string after;         // the target's contents at the end
    } cases[] = {
        {"a new file", [](const std::string&, HeldFile&) {}, true, nullptr, "yes", grid},
        {"an old file replaced", [](const std::string& t, HeldFile&) { writeFile(t, "old"); }, true,
         nullptr, "yes", grid},
        {"no commit leaves the old file", [](const std::string& t, HeldFile&) { writeFile(t, "old"); },
         false, nullptr, "yes", "old"},
        {"no commit and no old file", [](const std::string&, HeldFile&) {}, false, nullptr, "yes",
         "<none>"},
        {"the old file held open without FILE_SHARE_DELETE",
         [](const std::string& t, HeldFile& open) {
             writeFile(t, "old");
             open.handle = CreateFileA(t.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
         },
         true, "cannot write %s: Permission denied (is the file open in the program?)", "yes", "old"},
        {"a folder in the file's place", [](const std::string& t, HeldFile&) { CreateDirectoryA(t.c_str(), nullptr); },
         true, "cannot write %s: Is a directory", "yes", "<folder>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string target = dir.file("hadcrut4.dat");
        {
            HeldFile open;
            c.prepare(target, open);
            std::string failure;
            try {
                AtomicFile file(target);
                file.write(grid.data(), 1000);
                file.write(grid.data() + 1000, grid.size() - 1000);
                EXPECT_TRUE(exists(file.partPath()));
                EXPECT_EQ(dir.path() + "\\hadcrut4.dat.", file.partPath().substr(0, target.size() + 1));
                EXPECT_EQ(target.size() + 14, file.partPath().size()) << file.partPath();
                if (c.commit)
                    file.commit();
            } catch (const ImportFailure& e) {
                failure = e.english();
                EXPECT_FALSE(e.german().empty());
            }
            std::string expected;
            if (c.failure) {
                char text[1024];
                std::snprintf(text, sizeof text, c.failure, target.c_str());
                expected = text;
            }
            EXPECT_EQ(expected, failure);
        }
        EXPECT_EQ(c.after.size() > 100 ? grid.size() : c.after.size(), contents(target).size());
        EXPECT_TRUE(contents(target) == c.after);
        EXPECT_TRUE(partFiles(dir.path()).empty());
    }
}

TEST(AtomicFileTest, RefusesAFolderItCannotWriteTo)
{
    TempDir dir;
    const std::string folder = dir.file("missing");
    try {
        AtomicFile file(folder + "\\hadcrut4.dat");
        ADD_FAILURE() << "no failure";
    } catch (const ImportFailure& e) {
        EXPECT_EQ("cannot write to the folder " + folder + ": No such file or directory", e.english());
        EXPECT_EQ("in den Ordner " + folder + " kann nicht geschrieben werden: Datei oder Ordner nicht gefunden",
                  e.german());
    }
}

TEST(ImportFoldersTest, CreatesWhatIsMissingAndRemovesItAgain)
{
    const struct {
        const char* path;
        const char* parent;
    } parents[] = {{"C:\\a\\b", "C:\\a"},       {"C:\\a", "C:\\"},     {"C:\\", "C:\\"},
                   {"name", ""},                {"a/b", "a"},          {"C:name", "C:"},
                   {"\\\\server\\share\\x", "\\\\server\\share\\"},
                   {"\\\\server\\share", "\\\\server\\share"},
                   {"C:\\a\\\\b", "C:\\a"},     {"C:\\a\\b\\\\", "C:\\a\\b"}, {"", ""}};
    for (const auto& p : parents)
        EXPECT_EQ(p.parent, parentFolder(p.path)) << p.path;

    TempDir dir;
    const std::string top = dir.file("data");
    std::vector<std::string> made = createFolders(top + "\\cru\\x");
    EXPECT_EQ((std::vector<std::string>{top, top + "\\cru", top + "\\cru\\x"}), made);
    EXPECT_EQ("<folder>", contents(top + "\\cru\\x"));
    EXPECT_TRUE(createFolders(top + "\\cru").empty());
    removeFolders(made);
    EXPECT_FALSE(exists(top));

    // A file in the way: what was made before it is removed again.
    writeFile(dir.file("file"), "x");
    try {
        createFolders(dir.file("file") + "\\cru");
        ADD_FAILURE() << "no failure";
    } catch (const ImportFailure& e) {
        EXPECT_EQ("cannot create the folder " + dir.file("file") + ": File exists", e.english());
        EXPECT_EQ("der Ordner " + dir.file("file") + " kann nicht angelegt werden: Datei oder Ordner besteht schon",
                  e.german());
    }
    EXPECT_EQ("x", contents(dir.file("file")));
}
