#pragma once

#include <string>
#include <vector>

// Text as the importer's messages need it. The file's own texts (names,
// attributes) and paths are UTF-8; the program's texts are Windows-1252.
// The forms below follow the console importer's Python, so that both word
// their messages alike.

// UTF-8 to Windows-1252 (characters it lacks become '?').
std::string utf8ToCp1252(const std::string& text);

// ASCII letters lowered or raised; other bytes kept.
std::string lowerAscii(std::string text);
std::string upperAscii(std::string text);
// Without leading and trailing white space.
std::string stripped(const std::string& text);
// The white-space separated words.
std::vector<std::string> splitWords(const std::string& text);
std::string joined(const std::vector<std::string>& parts, const std::string& separator);
// Lower case, underscores as spaces, single spaces: how units are compared.
std::string unitWords(const std::string& text);

// printf-style formatting into a std::string.
std::string formatted(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

// Python's str() of a float: the shortest digits that read back as the same
// double, positional between 1e-4 and 1e16 (with ".0" when whole), else
// with an exponent ("1e+20").
std::string pythonFloat(double value);
