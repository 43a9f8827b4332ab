// Telling a grid file's block size from its bytes: files of whole blocks
// (header line, 36 row lines of one length, CR LF or LF) and files that are
// cut, uneven or shifted, which must be refused.
#include <gtest/gtest.h>

#include <string>

#include "GridFileProbe.h"

namespace {

// A month block: a header line and 36 row lines, each line `length` bytes
// with its line end.
std::string block(size_t headerLength, size_t rowLength, const std::string& lineEnd)
{
    std::string text = std::string(headerLength - lineEnd.size(), 'h') + lineEnd;
    for (int row = 0; row < 36; ++row)
        text += std::string(rowLength - lineEnd.size(), row % 2 ? '1' : ' ') + lineEnd;
    return text;
}

struct Case {
    const char* what;
    std::string file;
    unsigned int blockSize; // 0: refused
};

TEST(GridFileProbeTest, TellsTheBlockSizeOrRefuses)
{
    const std::string crlf = block(65, 793, "\r\n");
    const std::string lf = block(20, 100, "\n");
    std::string longRow = crlf;
    longRow.insert(65 + 17 * 793, "1");
    // The second header one byte longer, its last row one byte shorter.
    std::string shifted = block(21, 100, "\n");
    shifted.erase(shifted.size() - 2, 1);
    const Case cases[] = {
        {"three CR LF blocks", crlf + crlf + crlf, 65 + 36 * 793},
        {"two LF blocks", lf + lf, 20 + 36 * 100},
        {"one block", lf, 20 + 36 * 100},
        {"a cut second block", crlf + crlf.substr(0, 100), 0},
        {"one row line longer", longRow, 0},
        {"the second header shifted", lf + shifted, 0},
        {"35 rows", lf.substr(0, 20 + 35 * 100), 0},
        {"no line feed", std::string(5000, '1'), 0},
        {"empty", "", 0},
    };
    for (const Case& c : cases) {
        std::string problem;
        EXPECT_EQ(c.blockSize, blockSizeFromContent(c.file, c.file.size(), problem)) << c.what;
        EXPECT_EQ(c.blockSize == 0, !problem.empty()) << c.what << ": " << problem;
    }
}

} // namespace
