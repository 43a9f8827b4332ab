#include "PortableMath.h"

#include <cmath>

namespace demodata::pm {

namespace {

constexpr double kTwoPi = 2.0 * kPi;
constexpr double kLn2 = 0.69314718055994530942;

// Taylor series of sin around 0; |r| <= pi/2 keeps 12 terms well below 1e-16.
double sinReduced(double r)
{
    double r2 = r * r;
    double term = r;
    double sum = r;
    for (int n = 1; n <= 12; ++n) {
        term = -term * r2 / ((2.0 * n) * (2.0 * n + 1.0));
        sum += term;
    }
    return sum;
}

} // namespace

double sin(double x)
{
    // floor and the subtraction are exact enough and, above all, the same everywhere.
    double r = x - kTwoPi * std::floor(x / kTwoPi + 0.5);  // [-pi, pi]
    if (r > kPi / 2)
        r = kPi - r;
    else if (r < -kPi / 2)
        r = -kPi - r;
    return sinReduced(r);
}

double cos(double x) { return sin(x + kPi / 2); }

double exp(double x)
{
    if (x < -700.0)
        return 0.0;
    if (x > 700.0)
        x = 700.0;
    double k = std::floor(x / kLn2 + 0.5);
    double r = x - k * kLn2;  // |r| <= ln2 / 2
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n <= 18; ++n) {
        term = term * r / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));  // scaling by 2^k is exact
}

double log(double x)
{
    int exponent = 0;
    double m = std::frexp(x, &exponent);  // exact: m in [0.5, 1)
    if (m < 0.70710678118654752) {
        m *= 2.0;
        --exponent;
    }
    // log m = 2 atanh t with |t| <= 0.172, a quickly converging series.
    double t = (m - 1.0) / (m + 1.0);
    double t2 = t * t;
    double power = t;
    double sum = 0.0;
    for (int n = 1; n <= 41; n += 2) {
        sum += power / n;
        power *= t2;
    }
    return 2.0 * sum + exponent * kLn2;
}

Vector3 unitVector(double latitudeDegrees, double longitudeDegrees)
{
    double lat = latitudeDegrees * kDegree;
    double lon = longitudeDegrees * kDegree;
    return {cos(lat) * cos(lon), cos(lat) * sin(lon), sin(lat)};
}

double pow(double x, double y)
{
    if (x <= 0.0)
        return 0.0;
    return exp(y * log(x));
}

} // namespace demodata::pm
