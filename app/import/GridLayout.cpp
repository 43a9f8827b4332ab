#include "GridLayout.h"

#include <cassert>

#include "DataSets.h"

namespace {

const int decimals = 3;

std::vector<GridLayout> layoutsOfDataSets()
{
    std::vector<GridLayout> layouts;
    for (const DataSet& set : dataSets())
        layouts.emplace_back(set.name, static_cast<int>(set.blockSize), set.fieldWidth, decimals);
    return layouts;
}

} // namespace

GridLayout::GridLayout(const std::string& name, int blockSize, int width, int decimals)
    : name(name), blockSize(blockSize), width(width), decimals(decimals),
      rowLineBytes(columns * (width + 1) - 1 + 2), headerBytes(blockSize - rows * rowLineBytes)
{
    // Room for the sign, two integer digits, the point and the decimals.
    assert(decimals > 0 && width >= 4 + decimals && headerBytes >= 2);
}

const std::vector<GridLayout>& gridLayouts()
{
    static const std::vector<GridLayout> layouts = layoutsOfDataSets();
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
