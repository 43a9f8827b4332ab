#pragma once

#include <string>

// The block size of a grid file given by a path of any form: the data set's
// when the file name is one of the data sets' files, else told from the
// file itself. Throws WException when the file cannot be opened or its
// layout cannot be told (a German message).
unsigned int gridFileBlockSize(const std::string& path);

// The block size told from the bytes of a grid file's beginning (its first
// block and the next block's header line, as far as the file has them)
// and the file's size; "" in `problem` when it can be told, else why not
// (German, Windows-1252) and 0.
unsigned int blockSizeFromContent(const std::string& beginning, unsigned long long fileSize,
                                  std::string& problem);
