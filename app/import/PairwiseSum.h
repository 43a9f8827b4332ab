#pragma once

#include <cstddef>

// numpy's summation of float64 values, in its exact order, so that sums
// agree to the last bit with the Python importer's: blocks of up to 128
// values are summed in eight interleaved partial sums, longer runs are split
// in halves (at a multiple of 8) and summed recursively; fewer than 8 values
// are summed in turn, starting from 0.
//
// at(i) gives the i-th value of begin .. begin + count - 1.
template <typename At>
double pairwiseSum(const At& at, ptrdiff_t begin, ptrdiff_t count)
{
    if (count < 8) {
        double sum = 0.;
        for (ptrdiff_t i = 0; i < count; ++i)
            sum += at(begin + i);
        return sum;
    }
    if (count <= 128) {
        double r[8];
        for (int k = 0; k < 8; ++k)
            r[k] = at(begin + k);
        ptrdiff_t i = 8;
        for (; i < count - count % 8; i += 8) {
            for (int k = 0; k < 8; ++k)
                r[k] += at(begin + i + k);
        }
        double sum = ((r[0] + r[1]) + (r[2] + r[3])) + ((r[4] + r[5]) + (r[6] + r[7]));
        for (; i < count; ++i)
            sum += at(begin + i);
        return sum;
    }
    ptrdiff_t half = count / 2;
    half -= half % 8;
    return pairwiseSum(at, begin, half) + pairwiseSum(at, begin + half, count - half);
}

// A sum as numpy's add.reduce (sum, mean) gives it: 0 plus the pairwise sum.
template <typename At>
double numpySum(const At& at, ptrdiff_t count)
{
    return 0. + pairwiseSum(at, 0, count);
}

// One group of numpy's add.reduceat: the first value plus the pairwise sum
// of the others.
template <typename At>
double numpyGroupSum(const At& at, ptrdiff_t begin, ptrdiff_t count)
{
    return count == 1 ? at(begin) : at(begin) + pairwiseSum(at, begin + 1, count - 1);
}
