#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "TempDir.h"
#include "WException.h"
#include "WFile.h"
#include "WFileInfo.h"
#include "WFileStream.h"

namespace {
std::string text(const WString& s)
{
    return std::string(static_cast<const char*>(s), s.length());
}

void writeBytes(const std::string& name, const std::string& content)
{
    HANDLE h = CreateFileW(TempDir::toWide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << name;
    DWORD written = 0;
    WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(h);
    ASSERT_EQ(content.size(), written);
}

std::string readBytes(const std::string& name)
{
    HANDLE h =
        CreateFileW(TempDir::toWide(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string content;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof(chunk), &got, nullptr) && got > 0)
        content.append(chunk, got);
    CloseHandle(h);
    return content;
}

// All lines of a file as readln hands them out, with the flag as given.
std::vector<std::string> readLines(const std::string& name, bool strip)
{
    WFile file(name.c_str());
    std::vector<std::string> lines;
    WString line("stale");
    while (file.readln(line, strip))
        lines.push_back(text(line));
    EXPECT_EQ(0UL, line.length()) << "the line is emptied when no more line exists";
    EXPECT_FALSE(file.readln(line, strip)) << "stays at the end";
    return lines;
}

typedef std::vector<std::string> Lines;

// Catches the exception a call throws, so that its fields can be checked.
template <class E, class F> E expectThrow(F call, const char* what)
{
    try {
        call();
    } catch (const E& e) {
        return e;
    } catch (const WException& e) {
        ADD_FAILURE() << what << ": wrong exception " << static_cast<const char*>(e.toString());
        return E("wrong exception", 0);
    }
    ADD_FAILURE() << what << ": nothing thrown";
    return E("nothing thrown", 0);
}
}

TEST(WFileTest, ReadlineSplitsAtLineFeedsOnly)
{
    TempDir dir;
    std::string name = dir.file("lines.txt");

    writeBytes(name, "a\r\nb");
    EXPECT_EQ(Lines({"a", "b"}), readLines(name, true));
    EXPECT_EQ(Lines({"a\r", "b"}), readLines(name, false))
        << "the CR is part of the line unless stripped";

    writeBytes(name, "a\nb\n");
    EXPECT_EQ(Lines({"a", "b"}), readLines(name, true));

    writeBytes(name, "");
    EXPECT_EQ(Lines(), readLines(name, true)) << "an empty file has no line";

    writeBytes(name, "\n\n");
    EXPECT_EQ(Lines({"", ""}), readLines(name, true)) << "empty lines are lines";

    writeBytes(name, "a\rb\nc\r\r\nd");
    EXPECT_EQ(Lines({"a\rb", "c\r", "d"}), readLines(name, true))
        << "a lone CR does not end a line; only the last CR is stripped";

    writeBytes(name, "one\r\ntwo\nthree\r\n\r\nfour\r");
    EXPECT_EQ(Lines({"one", "two", "three", "", "four"}), readLines(name, true));
    EXPECT_EQ(Lines({"one\r", "two", "three\r", "\r", "four\r"}), readLines(name, false));

    WFile defaultForm;
    writeBytes(name, "x\r\ny");
    defaultForm.open(name.c_str(), false);
    WString line;
    ASSERT_TRUE(defaultForm.readln(line));
    EXPECT_EQ("x", text(line)) << "readln(line) strips the carriage return";
    defaultForm.close();

    // Lines around and far beyond the 128-byte read-ahead.
    std::string l300(300, 'x');
    std::string l5000;
    for (int i = 0; i < 5000; ++i)
        l5000 += static_cast<char>('a' + i % 26);
    std::string l127(127, 'p');
    std::string l128(128, 'q');
    std::string l126(126, 'r');
    writeBytes(name, l300 + "\n" + l127 + "\n" + l128 + "\r\n" + l126 + "\r\n" + l5000 + "\r\n" +
                         l5000);
    EXPECT_EQ(Lines({l300, l127, l128, l126, l5000, l5000}), readLines(name, true));

    // A CR split from its LF by the read-ahead boundary (CR is byte 127).
    writeBytes(name, l127 + "\r\nz");
    EXPECT_EQ(Lines({l127, "z"}), readLines(name, true));

    // A 5 MB line without line feeds (a hostile settings or data file): read
    // whole, with the file position right after it, in time linear in its
    // length (quadratic growth would take minutes here).
    std::string huge(5 * 1024 * 1024, 'h');
    for (size_t i = 0; i < huge.size(); i += 4099)
        huge[i] = static_cast<char>('a' + i % 26);
    writeBytes(name, huge + "\r\nnext\n" + huge);
    {
        WFile file(name.c_str());
        WString line;
        ASSERT_TRUE(file.readln(line));
        EXPECT_TRUE(text(line) == huge) << "long line, length " << line.length();
        EXPECT_EQ(static_cast<unsigned long>(huge.size() + 2), file.getPos());
        ASSERT_TRUE(file.readln(line));
        EXPECT_EQ("next", text(line));
        ASSERT_TRUE(file.readln(line));
        EXPECT_TRUE(text(line) == huge) << "long last line without a line feed";
        EXPECT_FALSE(file.readln(line));
    }

    // Bytes 0x80-0xFF and zero bytes pass unchanged.
    writeBytes(name, std::string("\xE4\xF6\x00\xFF\n", 5));
    Lines binary = readLines(name, true);
    ASSERT_EQ(1U, binary.size());
    EXPECT_EQ(std::string("\xE4\xF6\x00\xFF", 4), binary[0]);
}

TEST(WFileTest, PositionAfterReadlineAndSeeking)
{
    TempDir dir;
    std::string name = dir.file("pos.txt");
    std::string content = "first\r\n" + std::string(300, 'L') + "\nthird\nfourth";
    writeBytes(name, content);

    WFile file(name.c_str());
    EXPECT_EQ(static_cast<unsigned long>(content.size()), file.getSize());
    WString line;
    ASSERT_TRUE(file.readln(line));
    EXPECT_EQ(7UL, file.getPos()) << "just after the line feed";
    file.mark();
    ASSERT_TRUE(file.readln(line));
    EXPECT_EQ(308UL, file.getPos());
    char buf[5] = {};
    EXPECT_EQ(5UL, file.read(buf, 5));
    EXPECT_EQ("third", std::string(buf, 5)) << "read continues after the line";
    EXPECT_EQ(313UL, file.getPos());
    ASSERT_TRUE(file.readln(line));
    EXPECT_EQ("", text(line)) << "rest of the third line";
    EXPECT_EQ('f', file.readByte());
    ASSERT_TRUE(file.readln(line));
    EXPECT_EQ("ourth", text(line));
    EXPECT_TRUE(file.isEOF());
    EXPECT_FALSE(file.readln(line)) << "end of data";

    file.reset();
    EXPECT_EQ(7UL, file.getPos()) << "reset returns to the mark";
    EXPECT_FALSE(file.isEOF());
    ASSERT_TRUE(file.readln(line)) << "reading works again after moving back from the end";
    EXPECT_EQ(std::string(300, 'L'), text(line));

    file.setPos(0);
    ASSERT_TRUE(file.readln(line));
    EXPECT_EQ("first", text(line));
    file.skip(301);
    ASSERT_TRUE(file.readln(line));
    EXPECT_EQ("third", text(line));
    file.setPosMode(2);
    file.setPos(-3);
    EXPECT_EQ(static_cast<unsigned long>(content.size() - 3), file.getPos());
    ASSERT_TRUE(file.readln(line));
    EXPECT_EQ("rth", text(line));
    file.setPos(-6);
    ASSERT_TRUE(file.readln(line));
    EXPECT_EQ("fourth", text(line)) << "the position mode stays until changed";
    file.setPosMode(1);
    file.setPos(-2);
    EXPECT_EQ(static_cast<unsigned long>(content.size() - 2), file.getPos());
    file.setPosMode(0);

    WFileException badMove = expectThrow<WFileException>([&] { file.setPos(-1); }, "setPos(-1)");
    EXPECT_EQ("Cannot set file pointer.", text(badMove.getMessage()));
    EXPECT_EQ(-5, badMove.getId());

    // Reading on after a short read at the end, once the position moved back.
    file.setPos(static_cast<int>(content.size()) - 2);
    char tail[10] = {};
    WEOFException eof = expectThrow<WEOFException>([&] { file.read(tail, 10); }, "read past end");
    EXPECT_EQ(2UL, file.getEOFBytes());
    file.setPos(0);
    EXPECT_EQ(5UL, file.read(tail, 5)) << "a read after moving back is not cut by the old end";
    EXPECT_EQ("first", std::string(tail, 5));
}

TEST(WFileTest, ReadReportsEndOfFileWithByteCounts)
{
    TempDir dir;
    std::string name = dir.file("four.bin");
    writeBytes(name, "wxyz");
    WFile file(name.c_str());
    char buf[10] = {};
    WEOFException first = expectThrow<WEOFException>([&] { file.read(buf, 10); }, "read 10 of 4");
    EXPECT_EQ("End of file reached.", text(first.getMessage()));
    EXPECT_EQ(-1, first.getId());
    EXPECT_EQ(4UL, file.getEOFBytes());
    EXPECT_EQ("wxyz", std::string(buf, 4)) << "the delivered bytes are in the buffer";
    EXPECT_TRUE(file.isEOF());
    expectThrow<WEOFException>([&] { file.read(buf, 10); }, "second read");
    EXPECT_EQ(0UL, file.getEOFBytes());
    EXPECT_NO_THROW(file.read(buf, 0));

    file.setPos(0);
    EXPECT_EQ('w', file.readByte());
    EXPECT_EQ(3UL, file.read(buf, 3));
    expectThrow<WEOFException>([&] { file.readByte(); }, "readByte at end");
}

TEST(WFileTest, CreateWriteAndAppend)
{
    TempDir dir;
    std::string name = dir.file("out.txt");
    {
        WFile file;
        file.create(name.c_str(), false);
        EXPECT_TRUE(file.isOpen());
        EXPECT_EQ(name, text(file.getFilename()));
        file.writeln("x");
        file.writeln(WString("a\0b", 3UL));
        file.write("plain");
        file.write("\x01\x02", 2);
        file.flush();
        EXPECT_EQ(15UL, file.getSize());
    }
    EXPECT_EQ(std::string("x\r\na\0b\r\nplain\x01\x02", 15), readBytes(name));

    {
        WFile file;
        file.create(name.c_str(), true);
        EXPECT_EQ(15UL, file.getPos()) << "append starts at the end";
        file.writeln("tail");
    }
    EXPECT_EQ(std::string("x\r\na\0b\r\nplain\x01\x02tail\r\n", 21), readBytes(name));

    {
        WFile file;
        file.create(name.c_str(), false);
        EXPECT_EQ(0UL, file.getSize()) << "create without append empties the file";
        file.write("new");
        file.setPos(0);
        char buf[3];
        EXPECT_EQ(3UL, file.read(buf, 3)) << "created files are read-write";
    }
    EXPECT_EQ("new", readBytes(name));

    {
        WFile writeOnly;
        writeOnly.open(name.c_str(), 2UL);
        WString line;
        WFileException denied =
            expectThrow<WFileException>([&] { writeOnly.readln(line); }, "readln, write only");
        EXPECT_EQ("WFileException: Cannot read file. (id=-4, syserr=00000005h)",
                  text(denied.toString()));
        writeOnly.write("NEW");
    }
    EXPECT_EQ("NEW", readBytes(name)) << "mode 2 opens an existing file for writing only";

    std::string appended = dir.file("fresh.txt");
    {
        WFile file;
        file.create(appended.c_str(), true);
        file.writeln("");
    }
    EXPECT_EQ("\r\n", readBytes(appended)) << "append creates a missing file";

    {
        WFile file(name.c_str());
        WFileException readOnly =
            expectThrow<WFileException>([&] { file.write("x"); }, "write to read-only file");
        EXPECT_EQ("Cannot write file.", text(readOnly.getMessage()));
        EXPECT_EQ(-3, readOnly.getId());
        EXPECT_NE(0UL, readOnly.getSysErrCode());
    }
    EXPECT_EQ("NEW", readBytes(name));

    // The UTF-8 name reaches the system as "ä.txt".
    std::string umlaut = dir.file("\xC3\xA4.txt");
    {
        WFile file;
        file.create(umlaut.c_str(), false);
        file.write("u");
    }
    EXPECT_NE(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesW((dir.widePath() + L"\\\u00E4.txt").c_str()));
}

TEST(WFileTest, OpenFailuresAreCleanExceptions)
{
    TempDir dir;
    std::string missing = dir.file("missing.txt");
    WFile file;
    WFileNotFoundException notFound =
        expectThrow<WFileNotFoundException>([&] { file.open(missing.c_str(), 1UL); }, "missing");
    EXPECT_EQ("File not found: " + missing, text(notFound.getMessage()));
    EXPECT_EQ(-1, notFound.getId());
    EXPECT_EQ(2UL, notFound.getSysErrCode());
    EXPECT_EQ(0U, text(notFound.toString()).rfind("WFileNotFoundException: File not found: ", 0));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(TempDir::toWide(missing).c_str()))
        << "a read open creates nothing";

    expectThrow<WFileNotFoundException>([&] { WFile direct(missing.c_str()); }, "constructor");

    // An open file that fails to re-open ends up closed.
    std::string present = dir.file("present.txt");
    writeBytes(present, "p");
    file.open(present.c_str(), 1UL);
    ASSERT_TRUE(file.isOpen());
    expectThrow<WFileNotFoundException>([&] { file.open(missing.c_str(), 1UL); }, "re-open");
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ("", text(file.getFilename()));

    WFileException directory =
        expectThrow<WFileException>([&] { file.open(dir.path().c_str(), 1UL); }, "directory");
    EXPECT_EQ("Cannot open file: " + dir.path(), text(directory.getMessage()));
    EXPECT_EQ(-2, directory.getId());
    EXPECT_FALSE(file.isOpen());
    expectThrow<WFileException>([&] { file.create(dir.path().c_str(), false); }, "create dir");
    expectThrow<WFileException>([&] { file.create(dir.path().c_str(), true); }, "append dir");
    EXPECT_FALSE(file.isOpen());

    // Names that cannot reach the system fail to open instead of overrunning
    // the conversion buffer or opening something else.
    std::string longName = dir.file(std::string(300, 'n'));
    std::string invalid = dir.file("\xFF\xFE.txt");
    std::string halfSequence = dir.file("a\xC3");
    for (const std::string& bad : {longName, invalid, halfSequence}) {
        bool threw = false;
        try {
            file.create(bad.c_str(), false);
        } catch (const WFileNotFoundException& e) {
            threw = true;
            EXPECT_EQ("File not found: " + bad, text(e.getMessage()));
        } catch (const WFileException& e) {
            threw = true;
            EXPECT_EQ("Cannot open file: " + bad, text(e.getMessage()));
            EXPECT_EQ(-2, e.getId());
        }
        EXPECT_TRUE(threw) << "a name of " << bad.size() << " bytes must not open";
        EXPECT_FALSE(file.isOpen());
    }
    // A directory that exists, below which a name exceeds 260 units.
    std::wstring deep = L"\\\\?\\" + dir.widePath() + L"\\" + std::wstring(120, L'd');
    if (CreateDirectoryW(deep.c_str(), nullptr)) {
        std::string tooLong = dir.file(std::string(120, 'd') + "\\" + std::string(140, 'f'));
        EXPECT_THROW(file.create(tooLong.c_str(), false), WException);
        WDirectoryEntries inside(dir.file(std::string(120, 'd')).c_str(), "f*");
        WFileInfo created;
        EXPECT_FALSE(inside.nextEntry(created)) << "no file is made for a name over 260 units";
        RemoveDirectoryW(deep.c_str());
    }
    WDirectoryEntries entries(dir.path().c_str(), "*");
    WFileInfo info;
    int count = 0;
    while (entries.nextEntry(info))
        ++count;
    EXPECT_EQ(3, count) << "nothing but present.txt was created next to . and ..";

    // A name of exactly 260 UTF-16 units converts; one of 261 does not. Both
    // fail to open, neither is an overrun.
    for (size_t length : {259U, 260U, 261U}) {
        std::string name(length, 'k');
        EXPECT_THROW(file.open(name.c_str(), 1UL), WException) << length;
    }
}

TEST(WFileTest, StreamsInfoAndHandles)
{
    TempDir dir;
    std::string name = dir.file("info.txt");
    writeBytes(name, "0123456789");
    time_t before = time(nullptr);

    WFile file(name.c_str());
    WFileInfo info;
    file.getFileInfo(info);
    EXPECT_EQ(name, text(info.getFilename()));
    EXPECT_EQ(128UL, info.getFileType());
    EXPECT_EQ(10ULL, info.getFileSize());
    EXPECT_LE(static_cast<unsigned long long>(before) - 5, info.getTimeLastModified());
    EXPECT_GE(static_cast<unsigned long long>(before) + 5, info.getTimeLastModified());

    file.open(file.getFilename(), 1UL);
    EXPECT_EQ(name, text(file.getFilename())) << "re-opening by the file's own name";
    EXPECT_EQ(10UL, file.getSize());

    FILE* stream = file.getFileStream();
    ASSERT_NE(nullptr, stream);
    EXPECT_EQ(stream, static_cast<FILE*>(file)) << "the same stream on every call";
    char buf[11] = {};
    EXPECT_EQ(10U, fread(buf, 1, 10, stream));
    EXPECT_STREQ("0123456789", buf);
    file.close();
    EXPECT_FALSE(file.isOpen());
    file.close();

    // A borrowed handle that must not be closed.
    HANDLE h = CreateFileW(TempDir::toWide(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    {
        WFile borrowed(h, true, false);
        EXPECT_EQ(h, borrowed.getFileHandle());
        EXPECT_EQ(10UL, borrowed.getSize());
        WString line;
        ASSERT_TRUE(borrowed.readln(line));
        borrowed.close();
        EXPECT_TRUE(borrowed.isOpen()) << "close does nothing when not closable";

        // Opening a name on it drops the borrowed handle without closing it,
        // and the new file is owned again.
        std::string other = dir.file("other.txt");
        writeBytes(other, "o\n");
        borrowed.open(other.c_str(), 1UL);
        EXPECT_NE(h, borrowed.getFileHandle());
        ASSERT_TRUE(borrowed.readln(line));
        EXPECT_EQ("o", text(line));
        HANDLE owned = static_cast<HANDLE>(borrowed.getFileHandle());
        borrowed.close();
        EXPECT_FALSE(borrowed.isOpen()) << "a file opened by name is closable";
        DWORD flags = 0;
        EXPECT_FALSE(GetHandleInformation(owned, &flags)) << "and closed by close()";
    }
    LARGE_INTEGER size;
    EXPECT_TRUE(GetFileSizeEx(h, &size)) << "the borrowed handle is still open";
    EXPECT_TRUE(CloseHandle(h));
}

TEST(WFileTest, NonSeekablePipeKeepsReadAhead)
{
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 65536));
    std::string content = "line1\nline2\r\n" + std::string(200, 'm') + "\nab\ncdefgh";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(writeEnd, content.data(), static_cast<DWORD>(content.size()), &written,
                          nullptr));
    CloseHandle(writeEnd);

    WFile pipe(readEnd, false, true);
    WString line;
    ASSERT_TRUE(pipe.readln(line));
    EXPECT_EQ("line1", text(line));
    EXPECT_EQ(6UL, pipe.getPos()) << "bytes read - fill + position";
    ASSERT_TRUE(pipe.readln(line, false));
    EXPECT_EQ("line2\r", text(line)) << "the read-ahead was kept: a pipe cannot seek back";
    EXPECT_EQ(13UL, pipe.getPos());
    ASSERT_TRUE(pipe.readln(line));
    EXPECT_EQ(std::string(200, 'm'), text(line));
    EXPECT_EQ(214UL, pipe.getPos());
    ASSERT_TRUE(pipe.readln(line));
    EXPECT_EQ("ab", text(line));
    EXPECT_EQ(217UL, pipe.getPos());

    char buf[10] = {};
    EXPECT_EQ(3UL, pipe.read(buf, 3)) << "read takes from the kept read-ahead";
    EXPECT_EQ("cde", std::string(buf, 3));
    EXPECT_EQ(220UL, pipe.getPos());
    expectThrow<WEOFException>([&] { pipe.read(buf, 10); }, "read past the pipe's end");
    EXPECT_EQ(3UL, pipe.getEOFBytes()) << "the bytes from the read-ahead count as delivered";
    EXPECT_EQ("fgh", std::string(buf, 3));
    EXPECT_EQ(223UL, pipe.getPos());
    EXPECT_FALSE(pipe.readln(line));
    EXPECT_EQ(223UL, pipe.getPos());
}

TEST(WFileTest, DirectoryEntries)
{
    TempDir dir;
    writeBytes(dir.file("a.txt"), "12345");
    writeBytes(dir.file("b.txt"), "");
    writeBytes(dir.file("c.dat"), "x");
    writeBytes(dir.file("\xC3\xBC.txt"), "1234567");
    CreateDirectoryW((dir.widePath() + L"\\sub").c_str(), nullptr);
    time_t now = time(nullptr);

    std::set<std::string> names;
    WFileInfo info;
    {
        WDirectoryEntries entries(dir.path().c_str(), "*.txt");
        while (entries.nextEntry(info)) {
            names.insert(text(info.getFilename()));
            if (text(info.getFilename()) == "a.txt") {
                EXPECT_EQ(5ULL, info.getFileSize());
                EXPECT_EQ(0UL, info.getFileType() & FILE_ATTRIBUTE_DIRECTORY);
                EXPECT_LE(static_cast<unsigned long long>(now) - 10, info.getTimeLastModified());
                EXPECT_GE(static_cast<unsigned long long>(now) + 5, info.getTimeLastModified());
            }
            if (text(info.getFilename()) == "\xC3\xBC.txt") {
                EXPECT_EQ(7ULL, info.getFileSize());
            }
        }
        EXPECT_FALSE(entries.nextEntry(info)) << "stays finished";
    }
    EXPECT_EQ(std::set<std::string>({"a.txt", "b.txt", "\xC3\xBC.txt"}), names)
        << "names come back as UTF-8";

    names.clear();
    bool sawDirectory = false;
    WDirectoryEntries all(dir.path().c_str(), "*");
    while (all.nextEntry(info)) {
        names.insert(text(info.getFilename()));
        if (text(info.getFilename()) == "sub")
            sawDirectory = (info.getFileType() & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    EXPECT_EQ(7U, names.size());
    EXPECT_TRUE(sawDirectory);

    WDirectoryEntries self(dir.path().c_str(), "");
    ASSERT_TRUE(self.nextEntry(info)) << "an empty pattern searches the directory itself";
    EXPECT_NE(0UL, info.getFileType() & FILE_ATTRIBUTE_DIRECTORY);

    WDirectoryEntries none(dir.file("missing").c_str(), "*");
    EXPECT_FALSE(none.nextEntry(info));
    WDirectoryEntries badName("\xFF\xFE", "*");
    EXPECT_FALSE(badName.nextEntry(info));
}

TEST(WFileStreamTest, IStreamOverFile)
{
    TempDir dir;
    std::string name = dir.file("stream.bin");
    writeBytes(name, "0123456789");

    WFileStream adapter;
    adapter.getFile().open(name.c_str(), 1UL);
    IStream* stream = nullptr;
    ASSERT_EQ(S_OK, adapter.QueryInterface(__uuidof(IStream), reinterpret_cast<void**>(&stream)));
    EXPECT_EQ(static_cast<IStream*>(&adapter), stream);
    IUnknown* unknown = nullptr;
    EXPECT_EQ(S_OK,
              adapter.QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&unknown)));
    void* other = &adapter;
    EXPECT_EQ(E_NOINTERFACE, adapter.QueryInterface(__uuidof(IDispatch), &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_EQ(4UL, stream->AddRef());
    EXPECT_EQ(4UL, stream->Release()) << "Release never destroys the adapter";

    char buf[20] = {};
    ULONG done = 0;
    EXPECT_EQ(S_OK, stream->Read(buf, 4, &done));
    EXPECT_EQ(4UL, done);
    EXPECT_EQ("0123", std::string(buf, 4));
    EXPECT_EQ(S_OK, stream->Read(buf, 20, &done)) << "the end of the data is success";
    EXPECT_EQ(6UL, done);
    EXPECT_EQ("456789", std::string(buf, 6));

    LARGE_INTEGER move;
    ULARGE_INTEGER position;
    move.QuadPart = 2;
    EXPECT_EQ(S_OK, stream->Seek(move, STREAM_SEEK_SET, &position));
    EXPECT_EQ(2ULL, position.QuadPart);
    EXPECT_EQ(S_OK, stream->Read(buf, 3, &done)) << "reading resumes after seeking back";
    EXPECT_EQ(3UL, done);
    EXPECT_EQ("234", std::string(buf, 3));
    move.QuadPart = 1;
    EXPECT_EQ(S_OK, stream->Seek(move, STREAM_SEEK_CUR, &position));
    EXPECT_EQ(6ULL, position.QuadPart);
    move.QuadPart = -1;
    EXPECT_EQ(S_OK, stream->Seek(move, STREAM_SEEK_END, &position));
    EXPECT_EQ(9ULL, position.QuadPart);
    move.QuadPart = -20;
    EXPECT_EQ(S_FALSE, stream->Seek(move, STREAM_SEEK_SET, &position)) << "failure is S_FALSE";

    STATSTG stat;
    ASSERT_EQ(S_OK, stream->Stat(&stat, STATFLAG_DEFAULT));
    EXPECT_EQ(static_cast<DWORD>(STGTY_STREAM), stat.type);
    EXPECT_EQ(10ULL, stat.cbSize.QuadPart);
    EXPECT_EQ(static_cast<DWORD>(LOCK_WRITE), stat.grfLocksSupported);
    ASSERT_NE(nullptr, stat.pwcsName);
    EXPECT_EQ(TempDir::toWide(name), std::wstring(stat.pwcsName));
    CoTaskMemFree(stat.pwcsName);
    FILETIME modified;
    HANDLE h =
        CreateFileW(TempDir::toWide(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    GetFileTime(h, nullptr, nullptr, &modified);
    CloseHandle(h);
    ULARGE_INTEGER expected;
    expected.LowPart = modified.dwLowDateTime;
    expected.HighPart = modified.dwHighDateTime;
    ULARGE_INTEGER reported;
    reported.LowPart = stat.mtime.dwLowDateTime;
    reported.HighPart = stat.mtime.dwHighDateTime;
    EXPECT_EQ(expected.QuadPart / 10000000ULL * 10000000ULL, reported.QuadPart)
        << "whole seconds, converted back to system ticks";
    ASSERT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_EQ(nullptr, stat.pwcsName);

    ULARGE_INTEGER size;
    size.QuadPart = 0;
    EXPECT_EQ(S_FALSE, stream->SetSize(size));
    EXPECT_EQ(S_FALSE, stream->Commit(0));
    EXPECT_EQ(S_FALSE, stream->Revert());
    IStream* clone = nullptr;
    EXPECT_EQ(S_FALSE, stream->Clone(&clone));

    std::string outName = dir.file("written.bin");
    {
        WFileStream writer;
        writer.getFile().create(outName.c_str(), false);
        EXPECT_EQ(S_OK, writer.Write("abc", 3, &done));
        EXPECT_EQ(3UL, done);
        move.QuadPart = 0;
        EXPECT_EQ(S_OK, writer.Seek(move, STREAM_SEEK_SET, nullptr));
        EXPECT_EQ(S_OK, writer.Read(buf, 3, &done));
        EXPECT_EQ("abc", std::string(buf, 3));
    }
    EXPECT_EQ("abc", readBytes(outName));

    WFileStream closed;
    EXPECT_EQ(S_FALSE, closed.Stat(&stat, STATFLAG_NONAME)) << "no file: S_FALSE, no crash";
    EXPECT_EQ(S_FALSE, closed.Write("x", 1, &done));
}
