#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "NetcdfValues.h"

// A variable of an open NetcdfFile, which must outlive it.
class NetcdfVariable {
public:
    NetcdfVariable(int file, int id);

    const std::string& name() const { return variableName; }
    const std::vector<std::string>& dimensions() const { return dimensionNames; }
    const std::vector<size_t>& shape() const { return lengths; }
    // The attribute, nullptr when the variable has none of that name.
    const NetcdfAttribute* attribute(const std::string& name) const;
    // An attribute as text, "" when absent: stripped; numbers as Python prints them.
    std::string text(const std::string& name) const;

    // The values of the hyperslab, in the variable's order, masked and
    // scaled as netCDF4-python does by default (NaN where missing).
    // Throws ImportFailure "cannot read '<name>': ...".
    // values is resized to the hyperslab; its memory is reused from call to call.
    void read(const std::vector<size_t>& start, const std::vector<size_t>& count, std::vector<double>& values) const;
    std::vector<double> readAll() const;

private:
    [[noreturn]] void failed(const std::string& reason) const;

    int file;
    int id;
    int type = 0;
    std::string variableName;
    std::vector<std::string> dimensionNames;
    std::vector<size_t> lengths;
    std::vector<NetcdfAttribute> attributes;
    NetcdfValues values;
    mutable std::vector<unsigned char> stored;  // the values as the file stores them, reused
};

// A netCDF file (classic, 64-bit offset or netCDF-4) open for reading.
class NetcdfFile {
public:
    // path in UTF-8, of any length. Throws ImportFailure "<path>: no such
    // file", "<path>: is a folder, not a file" or "<path> cannot be read as
    // netCDF (...)", the path shown in Windows-1252.
    explicit NetcdfFile(const std::string& path);
    NetcdfFile(const NetcdfFile&) = delete;
    NetcdfFile& operator=(const NetcdfFile&) = delete;
    ~NetcdfFile();

    // In the file's order.
    const std::vector<NetcdfVariable>& variables() const { return all; }
    const NetcdfVariable* find(const std::string& name) const;

private:
    int handle = -1;
    std::vector<NetcdfVariable> all;
};
