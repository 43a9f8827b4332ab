#pragma once

#include <string>
#include <vector>

class NetcdfFile;
class NetcdfVariable;

// Which variable of a file is imported. Candidates are the variables with a
// latitude and a longitude axis and at least one more dimension. Without a
// name, the first rule that finds one decides:
//   1. a published product's name (HadCRUT5, HadCRUT4, CRUTEM5, HadSST,
//      NOAAGlobalTemp, Berkeley Earth, GISTEMP; for a climatology CRU's
//      absolute.nc and Berkeley Earth's), case ignored;
//   2. the one temperature candidate: units of a temperature (K, degC and
//      their spellings), or no units and a CF standard_name containing
//      "temperature"; several are an error that lists them;
//   3. the one candidate of the file.
// A name takes the variable of that name, or, if there is none, the one
// whose name differs from it only in case.
struct VariableChoice {
    const NetcdfVariable* variable = nullptr;
    std::string howEnglish;  // "by its name", ...
    std::string howGerman;
};

std::vector<const NetcdfVariable*> candidatesOf(const NetcdfFile& file);
// name: UTF-8, empty for the rules. Throws ImportFailure.
VariableChoice chooseVariable(const NetcdfFile& file, const std::string& name, bool climatology);

bool isKelvin(const NetcdfVariable& variable);
bool isTemperature(const NetcdfVariable& variable);
