#include "WWindowStyle.h"

WWindowStyle::WWindowStyle() : style(0), exStyle(0) {}

WWindowStyle::WWindowStyle(const char* className, unsigned long style, unsigned long exStyle)
    : className(className), style(style), exStyle(exStyle)
{
}

WWindowStyle::~WWindowStyle() = default;

void WWindowStyle::create(const char* name, unsigned long windowStyle, unsigned long windowExStyle)
{
    className = name;
    style = windowStyle;
    exStyle = windowExStyle;
}
