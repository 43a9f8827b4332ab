// Elementary functions built from + - * / and exact scaling only.
//
// The generated files must be byte-identical whichever C library the tool is
// linked against; glibc and the mingw runtime may differ in the last bit of
// sin or exp, which could flip a rounded digit. These versions give the same
// result everywhere IEEE double arithmetic is used without fused multiply-add.
#pragma once

namespace demodata::pm {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegree = kPi / 180.0;

double sin(double x);
double cos(double x);
double exp(double x);
double log(double x);  // x > 0
double pow(double x, double y);  // x > 0, or x == 0 with y > 0

inline double square(double x) { return x * x; }

// A point on the unit sphere.
struct Vector3 {
    double x, y, z;
};
Vector3 unitVector(double latitudeDegrees, double longitudeDegrees);
// Squared straight-line distance; on the unit sphere it grows with the great-circle distance.
inline double chordSquared(const Vector3& a, const Vector3& b)
{
    return square(a.x - b.x) + square(a.y - b.y) + square(a.z - b.z);
}
inline double clamp(double x, double low, double high) { return x < low ? low : (x > high ? high : x); }
// 0 below edge0, 1 above edge1, a smooth ramp between.
inline double smoothStep(double edge0, double edge1, double x)
{
    double t = clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

} // namespace demodata::pm
