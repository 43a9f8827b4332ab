#include "ImportText.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "FileNameText.h"

namespace {

bool isSpace(unsigned char c) {
    // Python's str.split() and strip() also take the ASCII separators 0x1C..0x1F.
    return c == ' ' || (c >= '\t' && c <= '\r') || (c >= 0x1C && c <= 0x1F);
}

}  // namespace

std::string utf8ToCp1252(const std::string& text) {
    return shownText(text);
}

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

std::string upperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

std::string stripped(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::vector<std::string> splitWords(const std::string& text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSpace(text[i]))
            ++i;
        size_t start = i;
        while (i < text.size() && !isSpace(text[i]))
            ++i;
        if (i > start)
            words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::string joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string result;
    for (size_t i = 0; i < parts.size(); ++i)
        result += (i ? separator : std::string()) + parts[i];
    return result;
}

std::string unitWords(const std::string& text) {
    std::string lowered = lowerAscii(text);
    for (char& c : lowered)
        if (c == '_')
            c = ' ';
    return joined(splitWords(lowered), " ");
}

std::string formatted(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result(size_t(length > 0 ? length : 0), '\0');
    std::vsnprintf(&result[0], result.size() + 1, format, arguments);
    va_end(arguments);
    return result;
}

std::string pythonFloat(double value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    // The shortest significant digits that read back as the same double.
    std::string digits;
    int exponent = 0;
    for (int precision = 1; precision <= 17; ++precision) {
        std::string text = formatted("%.*e", precision - 1, value);
        if (std::strtod(text.c_str(), nullptr) == value || precision == 17) {
            size_t e = text.find('e');
            exponent = std::atoi(text.c_str() + e + 1);
            for (size_t i = 0; i < e; ++i)
                if (text[i] >= '0' && text[i] <= '9')
                    digits += text[i];
            break;
        }
    }
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string sign = std::signbit(value) ? "-" : "";
    if (exponent < -4 || exponent >= 16) {
        std::string mantissa = digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : "");
        return sign + mantissa + formatted("e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    }
    if (exponent < 0)
        return sign + "0." + std::string(size_t(-exponent - 1), '0') + digits;
    if (int(digits.size()) <= exponent + 1)
        return sign + digits + std::string(size_t(exponent + 1 - int(digits.size())), '0') + ".0";
    return sign + digits.substr(0, size_t(exponent + 1)) + "." + digits.substr(size_t(exponent + 1));
}
