#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

// A fresh directory under the system's temp path with data/cru inside, made
// the current directory for one test (grid files are found by relative
// names); the old current directory comes back and the tree is removed when
// the test ends.
class ScratchDir {
public:
    ScratchDir()
    {
        static unsigned counter = 0;
        wchar_t base[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, base);
        root = std::wstring(base) + L"datatest_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
               std::to_wstring(++counter);
        CreateDirectoryW(root.c_str(), nullptr);
        CreateDirectoryW((root + L"\\data").c_str(), nullptr);
        CreateDirectoryW((root + L"\\data\\cru").c_str(), nullptr);
        wchar_t current[MAX_PATH + 1];
        GetCurrentDirectoryW(MAX_PATH + 1, current);
        previous = current;
        SetCurrentDirectoryW(root.c_str());
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir()
    {
        SetCurrentDirectoryW(previous.c_str());
        removeTree(root);
    }

private:
    static void removeTree(const std::wstring& dir)
    {
        WIN32_FIND_DATAW data;
        HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &data);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::wstring name = data.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                std::wstring full = dir + L"\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    removeTree(full);
                else
                    DeleteFileW(full.c_str());
            } while (FindNextFileW(search, &data));
            FindClose(search);
        }
        RemoveDirectoryW(dir.c_str());
    }

    std::wstring root;
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
