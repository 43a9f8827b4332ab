#include "GridBlocks.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

const double missingValue = -99.9;

double powerOfTen(int exponent)
{
    double power = 1.0;
    for (int i = 0; i < exponent; ++i)
        power *= 10.0;
    return power;
}

// |value| * scale rounded half away from zero, exactly (NaN or inf where the
// value is). The product is rounded to a double; its rounding error, found
// exactly by splitting the value (Veltkamp), decides the cases that look like
// halves. Built without contraction into fused multiply-adds, which would
// change the error term.
double roundedUnits(double value, double scale)
{
    double magnitude = std::fabs(value);
    double product = magnitude * scale;
    double split = 134217729.0 * magnitude;
    double high = split - (split - magnitude);
    double low = magnitude - high;
    double error = (high * scale - product) + low * scale;
    double whole = std::floor(product);
    double fraction = product - whole;
    bool up = fraction > 0.5 || (fraction == 0.5 && error >= 0);
    return whole + (up ? 1.0 : 0.0);
}

// The header text cut to fit and padded with spaces, with its line end; as
// Python's encode("ascii", "replace") does, each character outside ASCII
// (one byte in Windows-1252) becomes '?'.
void writeHeader(const GridLayout& layout, const std::string& text, char* out)
{
    const size_t room = layout.headerBytes - 2;
    std::memset(out, ' ', room);
    for (size_t i = 0; i < text.size() && i < room; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        out[i] = c >= 0x80 ? '?' : (c == '\r' || c == '\n') ? ' ' : static_cast<char>(c);
    }
    out[room] = '\r';
    out[room + 1] = '\n';
}

// units (whole numbers below 10^(decimals + 2)) right-aligned in the field,
// with a minus sign when negative and not zero.
void writeField(int64_t units, bool negative, int width, int decimals, char* field)
{
    char* p = field + width;
    for (int d = 0; d < decimals; ++d) {
        *--p = static_cast<char>('0' + units % 10);
        units /= 10;
    }
    *--p = '.';
    do {
        *--p = static_cast<char>('0' + units % 10);
        units /= 10;
    } while (units > 0);
    if (negative)
        *--p = '-';
    while (p > field)
        *--p = ' ';
}

} // namespace

void formatGridBlocks(const GridLayout& layout, const std::vector<std::string>& headers,
                      const double* cells, std::string& bytes, std::vector<unsigned char>& valid)
{
    const size_t months = headers.size();
    const double scale = powerOfTen(layout.decimals);
    const double limit = 99 * scale;
    const int64_t missingUnits = std::llround(-missingValue * scale);
    const int width = layout.width;

    bytes.resize(months * layout.blockSize);
    valid.resize(months * GridLayout::cells);
    for (size_t month = 0; month < months; ++month) {
        char* out = &bytes[month * layout.blockSize];
        writeHeader(layout, headers[month], out);
        out += layout.headerBytes;
        const size_t first = month * GridLayout::cells;
        for (int row = 0; row < GridLayout::rows; ++row) {
            for (int column = 0; column < GridLayout::columns; ++column) {
                const size_t cell = first + row * GridLayout::columns + column;
                double value = cells[cell];
                double units = roundedUnits(value, scale);
                bool inside = units < limit;
                valid[cell] = inside;
                int64_t whole = inside ? static_cast<int64_t>(units) : missingUnits;
                bool negative = inside ? value < 0 : true;
                writeField(whole, negative && whole != 0, width, layout.decimals, out);
                out[width] = ' ';
                out += width + 1;
            }
            out[-1] = '\r';
            *out++ = '\n';
        }
    }
}
