#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TempDir.h"

// A fresh temp directory with data/cru inside, made the current directory
// for one test (grid files are found by relative names); the old current
// directory comes back before the tree is removed.
class ScratchDir {
public:
    ScratchDir()
    {
        CreateDirectoryW((dir.widePath() + L"\\data").c_str(), nullptr);
        CreateDirectoryW((dir.widePath() + L"\\data\\cru").c_str(), nullptr);
        wchar_t current[MAX_PATH + 1];
        GetCurrentDirectoryW(MAX_PATH + 1, current);
        previous = current;
        SetCurrentDirectoryW(dir.widePath().c_str());
    }
    ~ScratchDir() { SetCurrentDirectoryW(previous.c_str()); }

private:
    TempDir dir;
    std::wstring previous;
};

// Writes bytes to a file relative to the current directory.
inline void writeFile(const std::string& name, const std::string& bytes)
{
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr)
        throw std::runtime_error("cannot create " + name);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// The 36 row lines of a 5-degree grid, each the 72 tokens that token(row,
// column) gives, separated by one space.
inline std::vector<std::string> gridRows(const std::function<std::string(int, int)>& token)
{
    std::vector<std::string> rows;
    for (int row = 0; row < 36; ++row) {
        std::string line;
        for (int column = 0; column < 72; ++column) {
            if (column > 0)
                line += ' ';
            line += token(row, column);
        }
        rows.push_back(line);
    }
    return rows;
}

inline std::string number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// Every cell the same token.
inline std::vector<std::string> uniformRows(const std::string& token)
{
    return gridRows([&](int, int) { return token; });
}

// One month block of exactly blockSize bytes: a header line padded with
// blanks, then the row lines, each ended by lineEnd.
inline std::string monthBlock(unsigned blockSize, const std::vector<std::string>& rows,
                              const std::string& lineEnd = "\n")
{
    std::string body;
    for (const std::string& row : rows)
        body += row + lineEnd;
    std::string header = "Month";
    if (header.size() + lineEnd.size() + body.size() > blockSize)
        throw std::logic_error("rows do not fit into the block");
    header.resize(blockSize - lineEnd.size() - body.size(), ' ');
    return header + lineEnd + body;
}
