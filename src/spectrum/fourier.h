// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// fourier: the discrete Fourier transform behind the spectrum analyzer. An
// iterative radix-2 decimation-in-time FFT over 64-bit floats: the input is
// copied to the output in bit-reversed order, then log2(size) passes of
// butterflies run in place on the output, with the twiddle factors advanced by
// a trigonometric recurrence instead of one sin/cos call per factor.
//
// ComplexFft computes Out[k] = sum over n of In[n] * e^(i * angleNumerator * n * k / size),
// without any 1/size factor. With angleNumerator 2*pi (ForwardFft) that is the
// transform with a positive exponent; the analyzer only uses magnitudes, which
// are the same for either sign when the input is real.
//
// The four arrays hold at least `size` entries each; the inputs are read only
// and the outputs are overwritten. The outputs must not overlap the inputs,
// because the bit-reversed copy reads the inputs after it has started writing.
#include <cstdint>

// A size that is not a power of two, or below 2, is a programming error: the
// routine writes "Error in procedure Fourier:  NumSamples=<size> is not a
// positive integer power of 2." to standard output and ends the program with
// exit status 1.
void ComplexFft(uint16_t size, double angleNumerator, const double* realIn, const double* imagIn,
                double* realOut, double* imagOut);

// ComplexFft with the angle numerator 2*pi.
void ForwardFft(uint16_t size, const double* realIn, const double* imagIn, double* realOut,
                double* imagOut);
