#include "DataSets.h"

#include <cctype>

namespace {

bool sameLetters(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string lastPart(const std::string& path)
{
    size_t separator = path.find_last_of("/\\:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

} // namespace

const std::vector<DataSet>& dataSets()
{
    static const std::vector<DataSet> sets = {
        {"hadcrut4", "data/cru/hadcrut4.dat", 20856, 7, "HADCRUT4"},
        {"hadcrut3", "data/cru/hadcrut3.dat", 28613, 10, "HADCRUT3"},
        {"hadcrut3v", "data/cru/hadcrut3v.dat", 28613, 10, nullptr},
        {"hadsst2", "data/cru/hadsst2.dat", 20780, 7, nullptr},
        {"abstem3", "data/cru/abstem3.dat", 28561, 10, "ABS1960_91"},
    };
    return sets;
}

const DataSet* dataSetByName(const std::string& name)
{
    for (const DataSet& set : dataSets())
        if (name == set.name)
            return &set;
    return nullptr;
}

const DataSet* dataSetByFileName(const std::string& path)
{
    std::string fileName = lastPart(path);
    for (const DataSet& set : dataSets())
        if (sameLetters(fileName, lastPart(set.file)))
            return &set;
    return nullptr;
}
