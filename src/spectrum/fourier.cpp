// SPDX-License-Identifier: GPL-3.0-or-later
// fourier: the radix-2 FFT used by the spectrum analyzer (see fourier.h).
#include "spectrum/fourier.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// 2*pi as the 64-bit float the forward transform is defined with.
constexpr double kTwoPi = 6.283185307179586;

bool IsPowerOfTwoAtLeastTwo(unsigned size) { return size >= 2 && (size & (size - 1)) == 0; }

[[noreturn]] void FailBadSize(unsigned size) {
  std::printf("Error in procedure Fourier:  NumSamples=%u is not a positive integer power of 2.\n",
              size);
  std::fflush(stdout);
  // A bad size is a programming error; the exit status says the program failed.
  std::exit(EXIT_FAILURE);
}

}  // namespace

void ComplexFft(uint16_t size, double angleNumerator, const double* realIn, const double* imagIn,
                double* realOut, double* imagOut) {
  // Counters are 32-bit so that the block size may pass the largest 16-bit size.
  const unsigned n = size;
  if (!IsPowerOfTwoAtLeastTwo(n)) {
    FailBadSize(n);
  }

  // The bit-reversed copy: input i goes to output r, i with its log2(n) bits
  // in reverse order. r is stepped along with i by adding 1 at its top bit
  // and carrying downwards, which costs about two steps per index instead of
  // reversing every index from scratch.
  unsigned r = 0;
  for (unsigned i = 0; i < n; ++i) {
    realOut[r] = realIn[i];
    imagOut[r] = imagIn[i];
    unsigned bit = n >> 1;
    while (bit != 0 && (r & bit) != 0) {
      r ^= bit;
      bit >>= 1;
    }
    r |= bit;
  }

  unsigned blockEnd = 1;
  for (unsigned blockSize = 2; blockSize <= n; blockSize *= 2) {
    // The twiddle (wr, wi) turns by delta per step: w' = w - (alpha*w - beta*i*w),
    // with alpha = 2 sin^2(delta/2) = 1 - cos(delta) and beta = sin(delta).
    const double delta = angleNumerator / static_cast<double>(blockSize);
    const double s = std::sin(0.5 * delta);
    const double alpha = 2.0 * s * s;
    const double beta = std::sin(delta);
    // Every block of a pass starts the recurrence at 1 and so walks through
    // the same twiddles. Taking each twiddle once and applying it to all
    // blocks gives bit for bit the same numbers as restarting it per block,
    // with one chain of dependent recurrence steps per pass instead of one
    // per block, so the independent butterflies of the blocks can overlap.
    double wr = 1.0;
    double wi = 0.0;
    for (unsigned offset = 0; offset < blockEnd; ++offset) {
      for (unsigned j = offset; j < n; j += blockSize) {
        const unsigned k = j + blockEnd;
        const double tr = wr * realOut[k] - wi * imagOut[k];
        const double ti = wr * imagOut[k] + wi * realOut[k];
        realOut[k] = realOut[j] - tr;
        imagOut[k] = imagOut[j] - ti;
        realOut[j] = realOut[j] + tr;
        imagOut[j] = imagOut[j] + ti;
      }
      const double t = alpha * wr + beta * wi;
      wi = wi - (alpha * wi - beta * wr);
      wr = wr - t;
    }
    blockEnd = blockSize;
  }
}

void ForwardFft(uint16_t size, const double* realIn, const double* imagIn, double* realOut,
                double* imagOut) {
  ComplexFft(size, kTwoPi, realIn, imagIn, realOut, imagOut);
}
