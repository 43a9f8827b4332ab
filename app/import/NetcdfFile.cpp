#include "NetcdfFile.h"

#include <windows.h>

#include <netcdf.h>
#include <netcdf_filter.h>

#include <cmath>

#include "ClassicLayout.h"
#include "FileNameText.h"
#include "ImportFailure.h"
#include "ImportText.h"

namespace {

// Values read at once, at most: bounds the memory one read takes (a value
// read is 8 bytes and up to 8 more as stored) whatever sizes a file declares.
const size_t MOST_VALUES_READ = size_t(1) << 27;

// The path as netCDF-C (patched by tools/setup.sh) and HDF5 take it on
// Windows: UTF-8, absolute, in the "\\?\" form past MAX_PATH.
std::string libraryPath(const std::string& path) {
    return utf8FileName(systemFileName(path).c_str());
}

// Python's repr() of the path's bytes, as netCDF4-python names the file in
// its errors: b'...'.
std::string bytesRepr(const std::string& bytes) {
    bool single = bytes.find('\'') != std::string::npos && bytes.find('"') == std::string::npos;
    char quote = single ? '"' : '\'';
    std::string text = std::string("b") + quote;
    for (unsigned char c : bytes) {
        if (c == '\\' || c == (unsigned char)quote)
            text += std::string("\\") + char(c);
        else if (c == '\t')
            text += "\\t";
        else if (c == '\n')
            text += "\\n";
        else if (c == '\r')
            text += "\\r";
        else if (c < 0x20 || c >= 0x7F)
            text += formatted("\\x%02x", c);
        else
            text += char(c);
    }
    return text + quote;
}

// A number attribute as numpy prints it: integers plainly, floats shortest.
std::string numberText(int type, double value) {
    if (type == NC_FLOAT || type == NC_DOUBLE) {
        if (type == NC_FLOAT) {
            for (int precision = 1; precision <= 9; ++precision) {
                std::string text = formatted("%.*g", precision, value);
                if (float(std::strtod(text.c_str(), nullptr)) == float(value))
                    return pythonFloat(std::strtod(text.c_str(), nullptr));
            }
        }
        return pythonFloat(value);
    }
    return formatted("%.0f", value);
}

NetcdfAttribute readAttribute(int file, int variable, int index) {
    NetcdfAttribute attribute;
    char name[NC_MAX_NAME + 1] = {};
    nc_type type = 0;
    size_t length = 0;
    if (nc_inq_attname(file, variable, index, name) != NC_NOERR || nc_inq_att(file, variable, name, &type, &length))
        return attribute;
    attribute.name = name;
    attribute.type = type;
    if (type == NC_CHAR) {
        std::string text(length, '\0');
        if (length && nc_get_att_text(file, variable, name, &text[0]) == NC_NOERR)
            for (char c : text)
                if (c != '\0')
                    attribute.text += c;
    } else if (type == NC_STRING) {
        std::vector<char*> strings(length, nullptr);
        if (length && nc_get_att_string(file, variable, name, strings.data()) == NC_NOERR) {
            std::vector<std::string> parts;
            for (char* s : strings)
                parts.push_back(s ? s : "");
            attribute.text = parts.size() == 1 ? parts[0] : "['" + joined(parts, "', '") + "']";
            nc_free_string(length, strings.data());
        }
    } else if (type >= NC_BYTE && type <= NC_UINT64) {
        attribute.numbers.resize(length);
        if (length && nc_get_att_double(file, variable, name, attribute.numbers.data()) != NC_NOERR &&
            type != NC_INT64 && type != NC_UINT64)
            attribute.numbers.clear();
        std::vector<std::string> parts;
        for (double v : attribute.numbers)
            parts.push_back(numberText(type, v));
        attribute.text = parts.size() == 1 ? parts[0] : "[" + joined(parts, " ") + "]";
    }
    return attribute;
}

}  // namespace

NetcdfVariable::NetcdfVariable(int file, int id, const HdfStorage* storage) : file(file), id(id) {
    char name[NC_MAX_NAME + 1] = {};
    nc_type ncType = 0;
    int dimensionCount = 0, attributeCount = 0;
    nc_inq_var(file, id, name, &ncType, &dimensionCount, nullptr, &attributeCount);
    variableName = name;
    type = ncType;
    std::vector<int> dimensionIds(static_cast<size_t>(dimensionCount));
    nc_inq_vardimid(file, id, dimensionIds.data());
    for (int dimension : dimensionIds) {
        char dimensionName[NC_MAX_NAME + 1] = {};
        size_t length = 0;
        nc_inq_dim(file, dimension, dimensionName, &length);
        dimensionNames.push_back(dimensionName);
        lengths.push_back(length);
    }
    for (int i = 0; i < attributeCount; ++i)
        attributes.push_back(readAttribute(file, id, i));
    int noFill = 0;
    if (nc_inq_var_fill(file, id, &noFill, nullptr) != NC_NOERR)
        noFill = 0;
    values = NetcdfValues(type, attributes, noFill == 1);
    size_t filters = 0;
    if (nc_inq_var_filter_ids(file, id, &filters, nullptr) == NC_NOERR && filters > 0) {
        std::vector<unsigned int> ids(filters);
        nc_inq_var_filter_ids(file, id, &filters, ids.data());
        for (unsigned int filter : ids)
            szip = szip || filter == H5Z_FILTER_SZIP;
    }
    if (storage) {
        stored = storage->of(variableName);
        storedCount = storage->storedValues(variableName);
    }
}

const NetcdfAttribute* NetcdfVariable::attribute(const std::string& name) const {
    for (const NetcdfAttribute& a : attributes)
        if (a.name == name)
            return &a;
    return nullptr;
}

std::string NetcdfVariable::text(const std::string& name) const {
    const NetcdfAttribute* a = attribute(name);
    return a ? stripped(a->text) : std::string();
}

void NetcdfVariable::failed(const std::string& english, const std::string& german) const {
    throw ImportFailure("cannot read '" + utf8ToCp1252(variableName) + "': " + english,
                        "'" + utf8ToCp1252(variableName) + "' kann nicht gelesen werden: " + german);
}

void NetcdfVariable::checkReadable() const {
    if (!values.numeric())
        failed("it holds no numbers", "sie enthält keine Zahlen");
    if (szip)
        failed("it is compressed with SZIP, which this program cannot read",
               "sie ist mit SZIP komprimiert, das dieses Programm nicht lesen kann");
    if (!values.problemEnglish().empty())
        failed(values.problemEnglish(), values.problemGerman());
}

void NetcdfVariable::read(const std::vector<size_t>& start, const std::vector<size_t>& count,
                          std::vector<double>& result) const {
    checkReadable();
    size_t n = 1;
    for (size_t c : count) {
        if (c != 0 && n > MOST_VALUES_READ / c)
            failed(formatted("more than %zu values at once", MOST_VALUES_READ),
                   formatted("mehr als %zu Werte auf einmal", MOST_VALUES_READ));
        n *= c;
    }
    result.resize(n);
    if (n == 0)
        return;
    raw.resize(n * values.storedSize());
    int status = nc_get_vara(file, id, start.data(), count.data(), raw.data());
    if (status != NC_NOERR)
        failed(nc_strerror(status), nc_strerror(status));
    values.decode(raw.data(), n, result.data());
}

std::vector<double> NetcdfVariable::readAll() const {
    std::vector<double> result;
    read(std::vector<size_t>(lengths.size(), 0), lengths, result);
    return result;
}

NetcdfFile::NetcdfFile(const std::string& path) {
    std::string shown = shownText(path);
    if (wideFileName(path).empty())
        throw ImportFailure(shown + ": the name is not valid UTF-8", shown + ": der Name ist kein gültiges UTF-8");
    DWORD attributes = GetFileAttributesW(systemFileName(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        throw ImportFailure(shown + ": no such file", shown + ": Datei nicht gefunden");
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        throw ImportFailure(shown + " is a folder, not a netCDF file", shown + " ist ein Ordner, keine netCDF-Datei");
    int status = nc_open(libraryPath(path).c_str(), NC_NOWRITE, &handle);
    if (status != NC_NOERR) {
        handle = -1;
        // The console repeats netCDF4-python's wording; the program's
        // users get the library's reason alone.
        std::string reason = formatted("[Errno %d] %s: ", status, nc_strerror(status)) + bytesRepr(path);
        throw ImportFailure(shown + " cannot be read as netCDF (" + reason + ")",
                            shown + " ist keine lesbare netCDF-Datei (" + nc_strerror(status) + ")");
    }
    try {
        checkSize(path);
        int count = 0;
        nc_inq_nvars(handle, &count);
        for (int id = 0; id < count; ++id)
            all.emplace_back(handle, id, storage.get());
        findGrouped(handle, "");
    } catch (...) {
        nc_close(handle);
        throw;
    }
}

void NetcdfFile::checkSize(const std::string& path) {
    int format = 0;
    nc_inq_format(handle, &format);
    if (format == NC_FORMAT_NETCDF4 || format == NC_FORMAT_NETCDF4_CLASSIC) {
        storage = std::make_unique<HdfStorage>(libraryPath(path));
        return;
    }
    std::string shown = shownText(path);
    ClassicLayout layout = classicLayout(systemFileName(path), shown);
    if (layout.actual >= layout.declared)
        return;
    unsigned long long actual = layout.actual, declared = layout.declared;
    throw ImportFailure(shown + formatted(": the file is incomplete: %llu of %llu bytes", actual, declared),
                        shown + formatted(": die Datei ist unvollständig: %llu von %llu Bytes", actual, declared));
}

void NetcdfFile::findGrouped(int group, const std::string& path) {
    int count = 0;
    if (nc_inq_grps(group, &count, nullptr) != NC_NOERR || count == 0)
        return;
    std::vector<int> groups(static_cast<size_t>(count));
    nc_inq_grps(group, &count, groups.data());
    for (int g : groups) {
        char name[NC_MAX_NAME + 1] = {};
        nc_inq_grpname(g, name);
        std::string inner = path + "/" + name;
        int variables = 0;
        nc_inq_nvars(g, &variables);
        for (int id = 0; id < variables; ++id) {
            char variable[NC_MAX_NAME + 1] = {};
            nc_inq_varname(g, id, variable);
            grouped.push_back(inner + "/" + variable);
        }
        findGrouped(g, inner);
    }
}

NetcdfFile::~NetcdfFile() {
    if (handle >= 0)
        nc_close(handle);
}

const NetcdfVariable* NetcdfFile::find(const std::string& name) const {
    for (const NetcdfVariable& v : all)
        if (v.name() == name)
            return &v;
    return nullptr;
}
