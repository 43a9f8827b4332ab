#pragma once

#include <cstddef>
#include <string>
#include <vector>

// One attribute of a variable: text attributes as UTF-8 text, numeric ones
// as their numbers.
struct NetcdfAttribute {
    std::string name;
    int type = 0;  // nc_type
    std::string text;             // char and string attributes
    std::vector<double> numbers;  // numeric attributes
};

// The numeric types of stored values and of the arithmetic on them.
enum class NumberType { I1, U1, I2, U2, I4, U4, I8, U8, F4, F8 };

// Turns a variable's stored values into numbers exactly as netCDF4-python
// does by default, so that both importers see the same values:
//   - masked (NaN): values equal to missing_value or _FillValue, or, without
//     a usable _FillValue, to the type's default fill value (bytes only
//     when the variable is filled); values outside valid_range, or
//     valid_min/valid_max. An attribute counts only where it converts to
//     the variable's type without change.
//   - _Unsigned "true" reads signed integers as unsigned.
//   - scale_factor and add_offset applied in the type numpy computes in:
//     float32 data with a float32 scale stays float32.
class NetcdfValues {
public:
    NetcdfValues() = default;
    // type: the variable's nc_type; noFill: nc_inq_var_fill's answer.
    NetcdfValues(int type, const std::vector<NetcdfAttribute>& attributes, bool noFill);

    bool numeric() const { return isNumeric; }
    // Why no value could be read right, empty when they can: a scale_factor
    // of 0, a valid range whose ends are reversed.
    const std::string& problemEnglish() const { return problem[0]; }
    const std::string& problemGerman() const { return problem[1]; }
    // Bytes of one stored value.
    size_t storedSize() const;
    // count stored values (of the variable's nc_type) to doubles.
    void decode(const void* stored, size_t count, double* out) const;

private:
    struct Step {
        bool add;        // else multiply; a step with neither only converts
        bool convertOnly;
        double operand;
        NumberType result;
    };
    static long double applied(const Step& step, long double value);
    template <typename T> void decodeAs(const T* stored, size_t count, double* out) const;

    bool isNumeric = false;
    std::string problem[2];
    NumberType stored = NumberType::F8;  // after the _Unsigned view
    NumberType declared = NumberType::F8;
    std::vector<long double> missing;  // values in the stored type, NaN included
    bool hasFill = false;
    long double fill = 0;
    bool hasMinimum = false, hasMaximum = false;
    long double minimum = 0, maximum = 0;
    std::vector<Step> steps;
};
