#pragma once

// Scratch files shared by the benchmark programs.

#include <windows.h>

#include <cstdio>
#include <string>

// A path in the system's temporary folder.
inline std::string tempFile(const char* name)
{
    char folder[MAX_PATH + 1];
    GetTempPathA(sizeof(folder), folder);
    return std::string(folder) + name;
}

inline void writeFile(const std::string& name, const std::string& content)
{
    FILE* file = fopen(name.c_str(), "wb");
    fwrite(content.data(), 1, content.size(), file);
    fclose(file);
}
