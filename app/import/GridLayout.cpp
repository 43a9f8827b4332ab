#include "GridLayout.h"

#include <cassert>

GridLayout::GridLayout(const std::string& name, int blockSize, int width, int decimals)
    : name(name), blockSize(blockSize), width(width), decimals(decimals),
      rowLineBytes(columns * (width + 1) - 1 + 2), headerBytes(blockSize - rows * rowLineBytes)
{
    // Room for the sign, two integer digits, the point and the decimals.
    assert(decimals > 0 && width >= 4 + decimals && headerBytes >= 2);
}

const std::vector<GridLayout>& gridLayouts()
{
    static const std::vector<GridLayout> layouts = {
        {"hadcrut4", 20856, 7, 3},  {"hadcrut3", 28613, 10, 3}, {"hadcrut3v", 28613, 10, 3},
        {"hadsst2", 20780, 7, 3},   {"abstem3", 28561, 10, 3},
    };
    return layouts;
}

const GridLayout* gridLayoutByName(const std::string& name)
{
    for (const GridLayout& layout : gridLayouts()) {
        if (layout.name == name)
            return &layout;
    }
    return nullptr;
}
