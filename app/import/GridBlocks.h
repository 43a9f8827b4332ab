#pragma once

#include <string>
#include <vector>

#include "GridLayout.h"

// The bytes of headers.size() month blocks of the layout, and which cells
// they give a value. cells: months x 36 x 72 values, NaN where a cell has no
// data. Each value is rounded to the layout's decimals, halves away from zero
// (exactly, by the value's decimal expansion, not by its product with the
// scale); one whose rounded value is not strictly inside -99..99 is written
// as missing (-99.9). The header texts (Windows-1252) are cut to fit and
// padded with spaces; every character outside ASCII becomes '?', CR and LF
// become spaces. valid: months x 36 x 72, 1 where a value was written.
void formatGridBlocks(const GridLayout& layout, const std::vector<std::string>& headers,
                      const double* cells, std::string& bytes, std::vector<unsigned char>& valid);
