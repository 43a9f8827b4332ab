#pragma once

// The sine of Intel's SVML vector routine that numpy uses for float64 on
// AVX-512 machines, computed bit for bit (with an exact software fused
// multiply-add), so that area weights agree to the last bit with those of the
// Python importer. Valid for |x| < 2^24, far beyond the radians of a latitude.
double svmlSine(double x);

// a * b + c rounded once, as a fused multiply-add does; a, b, c and the
// result of moderate size (no overflow or underflow in the partial products).
double exactFma(double a, double b, double c);
