#pragma once

// A sine in plain double arithmetic (neither the C library's sin nor a fused
// multiply-add instruction), so that the area weights, and with them every
// cell the importer writes, have the same bits on every processor. It is the
// polynomial of Intel's SVML sine with its fused multiply-adds computed
// exactly in software: within a few units in the last place of the true sine,
// and equal to numpy's np.sin on the processors where numpy takes SVML.
// Valid for |x| < 2^24, far beyond the radians of a latitude.
double portableSine(double x);

// a * b + c rounded once, as a fused multiply-add does; a, b, c and the
// result of moderate size (no overflow or underflow in the partial products).
double exactFma(double a, double b, double c);
