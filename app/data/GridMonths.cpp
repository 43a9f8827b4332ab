#include "GridMonths.h"

#include <climits>

#include "WFile.h"

GridMonths::GridMonths(WFile& file, unsigned int blockSize, unsigned int rows, unsigned int columns)
    : file(file), blockSize(blockSize), rows(rows), columns(columns),
      monthCount(static_cast<unsigned int>(file.getSize() / blockSize))
{
}

bool GridMonths::read(long long monthIndex, std::vector<double>& values,
                      std::vector<unsigned int>& counts)
{
    if (monthIndex < 1 || monthIndex > monthCount)
        return false;
    size_t cells = static_cast<size_t>(rows) * columns;
    values.assign(cells, 0.0);
    counts.assign(cells, 0);
    // The reader leaves the file at the end of a block whose rows end
    // within it: the next month then needs no repositioning.
    long long start = (monthIndex - 1) * blockSize;
    long long position = static_cast<long long>(file.getPos());
    if (position != start) {
        int step = static_cast<int>(start < INT_MAX ? start : INT_MAX);
        file.setPos(step);
        for (long long rest = start - step; rest > 0; rest -= step) {
            step = static_cast<int>(rest < INT_MAX ? rest : INT_MAX);
            file.skip(step);
        }
    }
    reader.read(file, blockSize, GridSums{values.data(), counts.data(), rows, columns});
    for (size_t i = 0; i < cells; ++i)
        if (counts[i] > 1) {
            values[i] /= counts[i];
            counts[i] = 1;
        }
    return true;
}
