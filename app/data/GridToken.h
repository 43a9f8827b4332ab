#pragma once

// One token of a grid file's row line, the bytes between two blanks, taken
// as the value of its cell.
class GridToken {
public:
    // Nine significant digits hold any float; the rest leaves room for a sign,
    // zeros and an exponent. A longer token is no number at all, and the C
    // library's conversion takes time in the square of its length.
    static constexpr unsigned int maxLength = 64;

    // The token [begin, end) converted as sscanf's "%f" converts it: the
    // leading number only, 0.0 when the token does not begin with one. True
    // when that is a cell value: not longer than maxLength, and strictly
    // between -99 and 99 (so neither NaN nor the missing-value markers).
    static bool toCellValue(const char* begin, const char* end, double& value);
};
