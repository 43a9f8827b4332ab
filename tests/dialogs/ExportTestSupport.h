#pragma once

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Position.h"
#include "PositionCollection.h"

// The generated HadCRUT3v demonstration grid of the run folder (its block
// size is the default one, so the full path reads like the short name).
inline std::string hadcrut3v()
{
    return std::string(ORVEX_RUN_DIR) + "/data/cru/hadcrut3v.dat";
}

inline std::string readFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline void writeFile(const std::string& name, const std::string& bytes)
{
    std::FILE* f = std::fopen(name.c_str(), "wb");
    if (f == nullptr)
        throw std::runtime_error("cannot create " + name);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

inline std::vector<std::string> splitFields(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, ';');)
        fields.push_back(field);
    return fields;
}

inline Position makePosition(const char* name, int latDegrees, int latMinutes, bool south,
                             int lonDegrees, int lonMinutes, bool west)
{
    Position position;
    position.name = name;
    position.coordinates.latDegrees = latDegrees;
    position.coordinates.latMinutes = latMinutes;
    position.coordinates.latSouth = south ? 1 : 0;
    position.coordinates.lonDegrees = lonDegrees;
    position.coordinates.lonMinutes = lonMinutes;
    position.coordinates.lonWest = west ? 1 : 0;
    return position;
}

// Berlin, Sydney and New York.
inline void addThreeCities(PositionCollection& positions)
{
    positions.add(makePosition("Berlin", 52, 31, false, 13, 24, false), false);
    positions.add(makePosition("Sydney", 33, 52, true, 151, 12, false), false);
    positions.add(makePosition("New York", 40, 43, false, 74, 0, true), false);
}

// A grid file of 5-degree month blocks of 28613 bytes (the default size):
// month k (from January 1850) has value(k) in every northern cell and no
// data in the south; a value below -99 leaves the whole month without data.
inline std::string syntheticGrid(int months, double (*value)(int month))
{
    const unsigned blockSize = 28613;
    std::string file;
    for (int k = 1; k <= months; ++k) {
        double v = value(k);
        std::string body;
        for (int row = 0; row < 36; ++row) {
            char token[32];
            std::snprintf(token, sizeof token, "%.2f", row < 18 && v > -99 ? v : -99.9);
            std::string line;
            for (int column = 0; column < 72; ++column)
                line += (column > 0 ? " " : "") + std::string(token);
            body += line + "\n";
        }
        std::string header = "Month";
        header.resize(blockSize - 1 - body.size(), ' ');
        file += header + "\n" + body;
    }
    return file;
}
