#include "GridFileWriter.h"

#include "Grid.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace demodata {

namespace {

const char kLineEnd[] = "\r\n";
constexpr std::size_t kLineEndBytes = 2;

// Keeps data well clear of the reader's limits (valid strictly inside -99..99),
// whatever the rounding does.
constexpr double kLargestValue = 98.0;

} // namespace

std::size_t GridFileLayout::rowLineBytes() const
{
    return kColumns * static_cast<std::size_t>(valueWidth) + (kColumns - 1) + kLineEndBytes;
}

std::size_t GridFileLayout::headerLineBytes() const
{
    std::size_t rows = kRows * rowLineBytes();
    return blockSize > rows ? blockSize - rows : 0;
}

std::size_t GridFileLayout::headerTextLimit() const
{
    std::size_t header = headerLineBytes();
    return header > kLineEndBytes ? header - kLineEndBytes : 0;
}

void GridFileWriter::formatValue(double value, int width, int decimals, char* out)
{
    if (!(value > -kLargestValue && value < kLargestValue))  // also catches NaN
        value = kMissingValue;
    // Integers from here on: the printed digits cannot depend on the C library's printf.
    long long scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    long long units = static_cast<long long>(std::floor(std::fabs(value) * scale + 0.5));
    bool negative = value < 0.0 && units != 0;

    char digits[32];
    int n = 0;
    for (int i = 0; i < decimals; ++i) {
        digits[n++] = static_cast<char>('0' + units % 10);
        units /= 10;
    }
    if (decimals > 0)
        digits[n++] = '.';
    do {
        digits[n++] = static_cast<char>('0' + units % 10);
        units /= 10;
    } while (units != 0);
    if (negative)
        digits[n++] = '-';
    if (n > width)
        throw std::logic_error("value does not fit its field");
    int pad = width - n;
    std::memset(out, ' ', pad);
    for (int i = 0; i < n; ++i)
        out[pad + i] = digits[n - 1 - i];
}

std::string GridFileWriter::formatBlock(const GridFileLayout& layout, const std::string& headerText,
                                       const double* values)
{
    if (layout.headerLineBytes() < kLineEndBytes)
        throw std::logic_error(std::string("rows do not fit the block of ") + layout.fileName);
    if (headerText.size() > layout.headerTextLimit() || headerText.find_first_of("\r\n") != std::string::npos)
        throw std::logic_error(std::string("header text does not fit the block of ") + layout.fileName);

    std::string block(layout.blockSize, ' ');
    char* out = &block[0];
    std::memcpy(out, headerText.data(), headerText.size());
    out += layout.headerTextLimit();
    std::memcpy(out, kLineEnd, kLineEndBytes);
    out += kLineEndBytes;
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            formatValue(values[cellIndex(row, column)], layout.valueWidth, layout.decimals, out);
            out += layout.valueWidth + 1;  // the separator is the space already there
        }
        --out;  // no separator after the last value
        std::memcpy(out, kLineEnd, kLineEndBytes);
        out += kLineEndBytes;
    }
    return block;
}

GridFileWriter::GridFileWriter(const std::filesystem::path& path, const GridFileLayout& layout)
    : layout(layout), path(path), file(path, std::ios::binary | std::ios::trunc)
{
    if (!file)
        throw std::runtime_error("cannot create " + path.string());
}

void GridFileWriter::writeMonth(const std::string& headerText, const double* values)
{
    std::string block = formatBlock(layout, headerText, values);
    file.write(block.data(), static_cast<std::streamsize>(block.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
    ++months;
}

void GridFileWriter::close()
{
    file.close();
    if (file.fail())
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace demodata
