#include "NetcdfValues.h"

#include <netcdf.h>

#include <cmath>
#include <cstdint>
#include <limits>


namespace {

// numpy's kinds in its promotion rules: integers below floats.
bool isFloat(NumberType t) {
    return t == NumberType::F4 || t == NumberType::F8;
}

bool isSigned(NumberType t) {
    return t == NumberType::I1 || t == NumberType::I2 || t == NumberType::I4 || t == NumberType::I8;
}

int bytesOf(NumberType t) {
    switch (t) {
    case NumberType::I1: case NumberType::U1: return 1;
    case NumberType::I2: case NumberType::U2: return 2;
    case NumberType::I4: case NumberType::U4: case NumberType::F4: return 4;
    default: return 8;
    }
}

NumberType integer(bool isSignedType, int bytes) {
    switch (bytes) {
    case 1: return isSignedType ? NumberType::I1 : NumberType::U1;
    case 2: return isSignedType ? NumberType::I2 : NumberType::U2;
    case 4: return isSignedType ? NumberType::I4 : NumberType::U4;
    default: return isSignedType ? NumberType::I8 : NumberType::U8;
    }
}

bool typeOf(int ncType, NumberType& type) {
    switch (ncType) {
    case NC_BYTE: type = NumberType::I1; return true;
    case NC_UBYTE: type = NumberType::U1; return true;
    case NC_SHORT: type = NumberType::I2; return true;
    case NC_USHORT: type = NumberType::U2; return true;
    case NC_INT: type = NumberType::I4; return true;
    case NC_UINT: type = NumberType::U4; return true;
    case NC_INT64: type = NumberType::I8; return true;
    case NC_UINT64: type = NumberType::U8; return true;
    case NC_FLOAT: type = NumberType::F4; return true;
    case NC_DOUBLE: type = NumberType::F8; return true;
    default: return false;
    }
}

// numpy.promote_types for the types above.
NumberType promoted(NumberType a, NumberType b) {
    if (a == b)
        return a;
    if (isFloat(a) || isFloat(b)) {
        if (isFloat(a) && isFloat(b))
            return bytesOf(a) > bytesOf(b) ? a : b;
        NumberType f = isFloat(a) ? a : b, i = isFloat(a) ? b : a;
        return f == NumberType::F4 && bytesOf(i) <= 2 ? NumberType::F4 : NumberType::F8;
    }
    if (isSigned(a) == isSigned(b))
        return bytesOf(a) > bytesOf(b) ? a : b;
    NumberType s = isSigned(a) ? a : b, u = isSigned(a) ? b : a;
    if (bytesOf(s) > bytesOf(u))
        return s;
    return bytesOf(u) == 8 ? NumberType::F8 : integer(true, 2 * bytesOf(u));
}

// numpy.min_scalar_type: the smallest type that holds the scalar's value;
// half: float16, which any float array absorbs.
NumberType minimalScalar(NumberType type, double value, bool& half) {
    half = false;
    if (isFloat(type)) {
        if ((value > -65000 && value < 65000) || !std::isfinite(value)) {
            half = true;
            return NumberType::F4;
        }
        if (type == NumberType::F8 && value > -3.4e38 && value < 3.4e38)
            return NumberType::F4;
        return type;
    }
    if (value >= 0)
        return value < 256 ? NumberType::U1 : value < 65536 ? NumberType::U2 : value < 4294967296.0 ? NumberType::U4
                                                                                                   : NumberType::U8;
    return value >= -128 ? NumberType::I1 : value >= -32768 ? NumberType::I2 : value >= -2147483648.0 ? NumberType::I4
                                                                                                     : NumberType::I8;
}

// The type of array (of type a) <op> scalar (of type s and value v) under
// numpy 1.x's value-based casting: a scalar of no higher kind than the array
// counts with the smallest type that holds its value.
NumberType arithmeticType(NumberType a, NumberType s, double v) {
    if (isFloat(s) && !isFloat(a))
        return promoted(a, s);
    bool half = false;
    NumberType minimal = minimalScalar(s, v, half);
    if (half)  // float16 with float32 or float64 arrays
        return a;
    return promoted(a, minimal);
}

long double lowest(NumberType t) {
    return isSigned(t) ? -std::ldexp(1.0L, 8 * bytesOf(t) - 1) : 0.0L;
}

long double highest(NumberType t) {
    return isSigned(t) ? std::ldexp(1.0L, 8 * bytesOf(t) - 1) - 1 : std::ldexp(1.0L, 8 * bytesOf(t)) - 1;
}

// The attribute's first value converted to the type, when numpy's
// conversion keeps it unchanged (netCDF4-python ignores it otherwise).
bool safely(const NetcdfAttribute& attribute, NumberType type, size_t index, long double& value) {
    if (attribute.numbers.size() <= index)
        return false;
    double v = attribute.numbers[index];
    if (type == NumberType::F4) {
        float f = float(v);
        if (!(double(f) == v || (std::isnan(f) && std::isnan(v))))
            return false;
        value = f;
        return true;
    }
    if (type == NumberType::F8) {
        value = v;
        return true;
    }
    if (!std::isfinite(v) || std::floor(v) != v || v < lowest(type) || v > highest(type))
        return false;
    value = v;
    return true;
}

const NetcdfAttribute* find(const std::vector<NetcdfAttribute>& attributes, const char* name) {
    for (const NetcdfAttribute& a : attributes)
        if (a.name == name)
            return &a;
    return nullptr;
}

// netCDF4-python's default_fillvals, as the declared type holds them.
long double defaultFill(NumberType t) {
    switch (t) {
    case NumberType::I1: return NC_FILL_BYTE;
    case NumberType::U1: return NC_FILL_UBYTE;
    case NumberType::I2: return NC_FILL_SHORT;
    case NumberType::U2: return NC_FILL_USHORT;
    case NumberType::I4: return NC_FILL_INT;
    case NumberType::U4: return NC_FILL_UINT;
    case NumberType::I8: return NC_FILL_INT64;
    case NumberType::U8: return NC_FILL_UINT64;
    case NumberType::F4: return NC_FILL_FLOAT;
    default: return NC_FILL_DOUBLE;
    }
}

// A signed value seen as the unsigned integer of the same width.
long double unsignedView(long double value, NumberType signedType) {
    return value < 0 ? value + std::ldexp(1.0L, 8 * bytesOf(signedType)) : value;
}

long double convertedTo(long double v, NumberType t) {
    if (t == NumberType::F4)
        return float(v);
    if (t == NumberType::F8)
        return double(v);
    if (std::isnan(v))
        return 0;
    long double whole = std::trunc(v);
    long double span = std::ldexp(1.0L, 8 * bytesOf(t));
    long double wrapped = std::fmod(whole, span);
    if (wrapped < lowest(t))
        wrapped += span;
    if (wrapped > highest(t))
        wrapped -= span;
    return wrapped;
}

}  // namespace

// One step in its type: float and double arithmetic as the machine does it,
// integers wrapping (held in long double, which holds them exactly).
long double NetcdfValues::applied(const Step& step, long double value) {
    long double a = convertedTo(value, step.result), b = convertedTo(step.operand, step.result);
    if (step.convertOnly)
        return a;
    if (step.result == NumberType::F4) {
        float x = float(a), y = float(b);
        return step.add ? x + y : x * y;
    }
    if (step.result == NumberType::F8) {
        double x = double(a), y = double(b);
        return step.add ? x + y : x * y;
    }
    return convertedTo(step.add ? a + b : a * b, step.result);
}

NetcdfValues::NetcdfValues(int type, const std::vector<NetcdfAttribute>& attributes, bool noFill) {
    isNumeric = typeOf(type, declared);
    if (!isNumeric)
        return;
    const NetcdfAttribute* unsignedFlag = find(attributes, "_Unsigned");
    bool view = unsignedFlag && (unsignedFlag->text == "true" || unsignedFlag->text == "True") &&
                isSigned(declared);
    stored = view ? integer(false, bytesOf(declared)) : declared;
    auto seen = [&](long double v) { return view ? unsignedView(v, declared) : v; };

    if (const NetcdfAttribute* a = find(attributes, "missing_value")) {
        std::vector<long double> values;
        bool safe = !a->numbers.empty();
        for (size_t i = 0; safe && i < a->numbers.size(); ++i) {
            long double v;
            safe = safely(*a, declared, i, v);
            values.push_back(seen(v));
        }
        if (safe)
            missing = values;
    }
    long double v;
    const NetcdfAttribute* fillValue = find(attributes, "_FillValue");
    if (fillValue && safely(*fillValue, declared, 0, v)) {
        hasFill = true;
        fill = seen(v);
    } else if (!noFill || bytesOf(declared) > 1 || isFloat(declared)) {
        // Seen as unsigned the default fill value (negative) never matches.
        hasFill = !view;
        fill = defaultFill(declared);
    }
    const NetcdfAttribute* range = find(attributes, "valid_range");
    long double low, high;
    bool byRange = range && range->numbers.size() == 2 && safely(*range, declared, 0, low) &&
                   safely(*range, declared, 1, high);
    if (byRange) {
        hasMinimum = hasMaximum = true;
        minimum = seen(low);
        maximum = seen(high);
    } else {
        if (const NetcdfAttribute* a = find(attributes, "valid_min"))
            if ((hasMinimum = safely(*a, declared, 0, v)))
                minimum = seen(v);
        if (const NetcdfAttribute* a = find(attributes, "valid_max"))
            if ((hasMaximum = safely(*a, declared, 0, v)))
                maximum = seen(v);
    }

    if (hasMinimum && hasMaximum && minimum > maximum) {
        std::string ends = byRange ? "valid_range " + range->text
                                   : "valid_min " + find(attributes, "valid_min")->text + " and valid_max " +
                                         find(attributes, "valid_max")->text;
        std::string enden = byRange ? "valid_range " + range->text
                                    : "valid_min " + find(attributes, "valid_min")->text + " und valid_max " +
                                          find(attributes, "valid_max")->text;
        problem[0] = "its " + ends + " is reversed (its lower end above its upper), so no value would count as valid";
        problem[1] = "ihr " + enden + " ist vertauscht (das untere Ende über dem oberen), so dass kein Wert gültig wäre";
    }

    const NetcdfAttribute* scale = find(attributes, "scale_factor");
    const NetcdfAttribute* offset = find(attributes, "add_offset");
    NumberType scaleType = NumberType::F8, offsetType = NumberType::F8;
    bool hasScale = scale && !scale->numbers.empty() && typeOf(scale->type, scaleType);
    bool hasOffset = offset && !offset->numbers.empty() && typeOf(offset->type, offsetType);
    double s = hasScale ? scale->numbers[0] : 1.0, o = hasOffset ? offset->numbers[0] : 0.0;
    if (hasScale && s == 0.0) {
        problem[0] = "its scale_factor is 0, which would make every value " + (hasOffset ? offset->text : "0");
        problem[1] = "ihr scale_factor ist 0, womit jeder Wert " + (hasOffset ? offset->text : "0") + " wäre";
    }
    NumberType current = stored;
    if (hasScale && hasOffset && s == 1.0 && o == 0.0) {
        steps.push_back({false, true, 0.0, scaleType});
        return;
    }
    bool both = hasScale && hasOffset;
    if (hasScale && (both || s != 1.0)) {
        current = arithmeticType(current, scaleType, s);
        steps.push_back({false, false, s, current});
    }
    if (hasOffset && (both || o != 0.0)) {
        current = arithmeticType(current, offsetType, o);
        steps.push_back({true, false, o, current});
    }
}

size_t NetcdfValues::storedSize() const {
    return size_t(bytesOf(stored));
}

template <typename T>
void NetcdfValues::decodeAs(const T* data, size_t count, double* out) const {
    std::vector<T> missingAs;
    bool missingNan = false;
    for (long double m : missing) {
        if (std::isnan(m))
            missingNan = true;
        else
            missingAs.push_back(T(m));
    }
    bool fillNan = hasFill && std::isnan(fill);
    T fillAs = hasFill && !fillNan ? T(fill) : T(0);
    T minimumAs = hasMinimum ? T(minimum) : T(0), maximumAs = hasMaximum ? T(maximum) : T(0);
    for (size_t i = 0; i < count; ++i) {
        T x = data[i];
        bool masked = false;
        for (T m : missingAs)
            masked = masked || x == m;
        if (std::isnan(double(x)))
            masked = masked || missingNan || fillNan;
        masked = masked || (hasFill && !fillNan && x == fillAs) || (hasMinimum && x < minimumAs) ||
                 (hasMaximum && x > maximumAs);
        if (masked) {
            out[i] = std::numeric_limits<double>::quiet_NaN();
            continue;
        }
        long double n = (long double)x;
        for (const Step& step : steps)
            n = applied(step, n);
        out[i] = double(n);
    }
}

void NetcdfValues::decode(const void* data, size_t count, double* out) const {
    switch (stored) {
    case NumberType::I1: decodeAs(static_cast<const int8_t*>(data), count, out); break;
    case NumberType::U1: decodeAs(static_cast<const uint8_t*>(data), count, out); break;
    case NumberType::I2: decodeAs(static_cast<const int16_t*>(data), count, out); break;
    case NumberType::U2: decodeAs(static_cast<const uint16_t*>(data), count, out); break;
    case NumberType::I4: decodeAs(static_cast<const int32_t*>(data), count, out); break;
    case NumberType::U4: decodeAs(static_cast<const uint32_t*>(data), count, out); break;
    case NumberType::I8: decodeAs(static_cast<const int64_t*>(data), count, out); break;
    case NumberType::U8: decodeAs(static_cast<const uint64_t*>(data), count, out); break;
    case NumberType::F4: decodeAs(static_cast<const float*>(data), count, out); break;
    case NumberType::F8: decodeAs(static_cast<const double*>(data), count, out); break;
    }
}
