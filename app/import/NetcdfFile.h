#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "HdfStorage.h"
#include "NetcdfValues.h"

// A variable of an open NetcdfFile, which must outlive it.
class NetcdfVariable {
public:
    // storage: nullptr for formats that store every value.
    NetcdfVariable(int file, int id, const HdfStorage* storage);

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

    // Throws ImportFailure "cannot read '<name>': ..." when its values cannot
    // be read at all: compressed with SZIP, scaled by 0, a reversed valid range.
    void checkReadable() const;
    // How much of it the file stores, and how many values at most.
    Storage storage() const { return stored; }
    uint64_t storedValues() const { return storedCount; }

private:
    [[noreturn]] void failed(const std::string& english, const std::string& german) const;

    int file;
    int id;
    int type = 0;
    std::string variableName;
    std::vector<std::string> dimensionNames;
    std::vector<size_t> lengths;
    std::vector<NetcdfAttribute> attributes;
    NetcdfValues values;
    bool szip = false;
    Storage stored = Storage::Complete;
    uint64_t storedCount = 0;
    mutable std::vector<unsigned char> raw;  // the values as the file stores them, reused
};

// A netCDF file (classic, 64-bit offset or netCDF-4) open for reading.
class NetcdfFile {
public:
    // path in UTF-8, of any length. Throws ImportFailure "<path>: no such
    // file", "<path>: is a folder, not a file", "<path> cannot be read as
    // netCDF (...)", or when a classic file is shorter than its header
    // declares; the path shown in Windows-1252.
    explicit NetcdfFile(const std::string& path);
    NetcdfFile(const NetcdfFile&) = delete;
    NetcdfFile& operator=(const NetcdfFile&) = delete;
    ~NetcdfFile();

    // In the file's order.
    const std::vector<NetcdfVariable>& variables() const { return all; }
    const NetcdfVariable* find(const std::string& name) const;
    // The variables inside groups, as "/group/name" (UTF-8): the importer
    // reads only the top level, and says so.
    const std::vector<std::string>& groupedVariables() const { return grouped; }

private:
    // A classic file shorter than its header declares is refused; a
    // netCDF-4 file is opened through HDF5 as well, to tell what it stores.
    void checkSize(const std::string& path);
    void findGrouped(int group, const std::string& path);

    int handle = -1;
    std::unique_ptr<HdfStorage> storage;
    std::vector<NetcdfVariable> all;
    std::vector<std::string> grouped;
};
