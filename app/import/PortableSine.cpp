#include "PortableSine.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

uint64_t bitsOf(double x)
{
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

double fromBits(uint64_t bits)
{
    double x;
    std::memcpy(&x, &bits, sizeof x);
    return x;
}

// Dekker's exact product: high + low == a * b.
void exactProduct(double a, double b, double& high, double& low)
{
    const double splitter = 134217729.0; // 2^27 + 1
    double sa = splitter * a, sb = splitter * b;
    double aHigh = sa - (sa - a), aLow = a - aHigh;
    double bHigh = sb - (sb - b), bLow = b - bHigh;
    high = a * b;
    low = ((aHigh * bHigh - high) + aHigh * bLow + aLow * bHigh) + aLow * bLow;
}

// Knuth's exact sum: high + low == a + b.
void exactSum(double a, double b, double& high, double& low)
{
    high = a + b;
    double bVirtual = high - a;
    low = (a - (high - bVirtual)) + (b - bVirtual);
}

// a + b rounded to the neighbour with an odd last bit when inexact.
double sumRoundedToOdd(double a, double b)
{
    double sum, error;
    exactSum(a, b, sum, error);
    if (error == 0 || (bitsOf(sum) & 1))
        return sum;
    return std::nextafter(sum, error > 0 ? INFINITY : -INFINITY);
}

} // namespace

// Boldo and Melquiond's emulation: the exact product, its exact sum with c,
// the two low parts added rounded to odd, then one rounding to nearest.
double exactFma(double a, double b, double c)
{
    double productHigh, productLow, sumHigh, sumLow;
    exactProduct(a, b, productHigh, productLow);
    exactSum(c, productHigh, sumHigh, sumLow);
    return sumHigh + sumRoundedToOdd(sumLow, productLow);
}

double portableSine(double x)
{
    const double inversePi = 0x1.45f306dc9c883p-2;
    const double shifter = 0x1.8p+52;
    const double pi1 = 0x1.921fb54442d18p+1, pi2 = 0x1.1a62633145c06p-53,
                 pi3 = 0x1.c1cd129024e09p-106;
    const double c0 = -0x1.55555555554a8p-3, c1 = 0x1.111111110a573p-7,
                 c2 = -0x1.a01a019a659ddp-13, c3 = 0x1.71de3806add1ap-19,
                 c4 = -0x1.ae6355aaa4a53p-26, c5 = 0x1.60e6bee01d83ep-33,
                 c6 = -0x1.9f1517e9f65f0p-41;
    const uint64_t signBit = uint64_t(1) << 63;

    // n: x / pi rounded to a whole number; its parity gives the sign.
    double shifted = exactFma(x, inversePi, shifter);
    uint64_t sign = bitsOf(shifted) << 63;
    if (x == 0)
        sign ^= bitsOf(x) & signBit;
    double n = shifted - shifter;
    // r = x - n * pi in three parts; the polynomial takes r^2 of the first two.
    double r = exactFma(-n, pi1, x);
    r = exactFma(-pi2, n, r);
    double r2 = r * r;
    double reduced = exactFma(-pi3, n, r);
    double r3 = r2 * reduced;
    double p = exactFma(c6, r2, c5);
    p = exactFma(p, r2, c4);
    p = exactFma(p, r2, c3);
    p = exactFma(p, r2, c2);
    p = exactFma(p, r2, c1);
    p = exactFma(p, r2, c0);
    p = exactFma(p, r3, reduced);
    return fromBits(bitsOf(p) ^ sign);
}
