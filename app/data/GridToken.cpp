#include "GridToken.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const double powersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Plain decimals of up to 15 digits are converted here; m / 10^f is then the
// correctly rounded double, and narrowing it gives the correctly rounded
// float unless it lies exactly halfway between two floats. Everything else
// goes to the C library.
float scanFloat(const char* begin, const char* end)
{
    const char* p = begin;
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    for (; p < end && isDigit(*p); ++p, ++digits)
        mantissa = mantissa * 10 + static_cast<unsigned int>(*p - '0');
    if (p < end && *p == '.') {
        for (++p; p < end && isDigit(*p); ++p, ++digits, ++fractionDigits)
            mantissa = mantissa * 10 + static_cast<unsigned int>(*p - '0');
    }
    bool plain = digits > 0 && digits <= 15 &&
                 (p == end || (*p != 'e' && *p != 'E' && *p != 'x' && *p != 'X'));
    if (plain) {
        double value = static_cast<double>(mantissa) / powersOfTen[fractionDigits];
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        if ((bits & 0x1FFFFFFFu) != 0x10000000u) {
            float narrowed = static_cast<float>(value);
            return negative ? -narrowed : narrowed;
        }
    }
    char token[GridToken::maxLength + 1];
    std::memcpy(token, begin, static_cast<size_t>(end - begin));
    token[end - begin] = '\0';
    float value = 0.0f;
    std::sscanf(token, "%f", &value);
    return value;
}

} // namespace

bool GridToken::toCellValue(const char* begin, const char* end, double& value)
{
    if (end - begin > static_cast<std::ptrdiff_t>(maxLength))
        return false;
    value = scanFloat(begin, end);
    return value > -99.0 && value < 99.0;
}
