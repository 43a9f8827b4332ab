#pragma once

#include <string>

// The block size of a grid file given by a path of any form: the data set's
// when the file name is one of the data sets' files, else told from the
// file itself. Throws WException when the file cannot be opened or its
// layout cannot be told (a German message).
unsigned int gridFileBlockSize(const std::string& path);
