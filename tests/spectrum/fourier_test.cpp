// SPDX-License-Identifier: GPL-3.0-or-later
// The FFT against the plain block-by-block form of the same transform.
#include "spectrum/fourier.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Vec = std::vector<double>;

// The transform in its plain form: each index reversed bit by bit, and the
// twiddle recurrence restarted at 1 for every block of every pass.
std::pair<Vec, Vec> BlockByBlockFft(const Vec& realIn, const Vec& imagIn) {
  const unsigned n = static_cast<unsigned>(realIn.size());
  unsigned bits = 0;
  while ((1u << bits) < n) ++bits;
  Vec re(n), im(n);
  for (unsigned i = 0; i < n; ++i) {
    unsigned r = 0;
    for (unsigned b = 0, rest = i; b < bits; ++b, rest >>= 1) r = (r << 1) | (rest & 1u);
    re[r] = realIn[i];
    im[r] = imagIn[i];
  }
  for (unsigned half = 1, size = 2; size <= n; half = size, size *= 2) {
    const double delta = 6.283185307179586 / size, s = std::sin(0.5 * delta);
    const double alpha = 2.0 * s * s, beta = std::sin(delta);
    for (unsigned i = 0; i < n; i += size) {
      double wr = 1.0, wi = 0.0;
      for (unsigned j = i; j < i + half; ++j) {
        const unsigned k = j + half;
        const double tr = wr * re[k] - wi * im[k], ti = wr * im[k] + wi * re[k];
        re[k] = re[j] - tr;
        im[k] = im[j] - ti;
        re[j] = re[j] + tr;
        im[j] = im[j] + ti;
        const double t = alpha * wr + beta * wi;
        wi = wi - (alpha * wi - beta * wr);
        wr = wr - t;
      }
    }
  }
  return {re, im};
}

// Shared twiddles and the stepped bit reversal change no bit of the result;
// an impulse of 3 gives 3 in every bin: no scaling.
TEST(Fft, MatchesThePlainFormBitForBitAndDoesNotScale) {
  for (int n : {2, 8, 2048, 32768}) {
    std::mt19937 random(static_cast<uint32_t>(n) + 1);
    std::uniform_real_distribution<double> sample(-32768.0, 32767.0);
    Vec realIn(n), imagIn(n), re(n, -7.0), im(n, -7.0);
    for (int i = 0; i < n; ++i) {
      realIn[i] = sample(random);
      imagIn[i] = i % 3 == 0 ? 0.0 : sample(random);
    }
    ForwardFft(static_cast<uint16_t>(n), realIn.data(), imagIn.data(), re.data(), im.data());
    ASSERT_EQ(std::pair(re, im), BlockByBlockFft(realIn, imagIn)) << "size " << n;
    Vec impulse(n, 0.0), zeros(n, 0.0);
    impulse[0] = 3.0;
    ForwardFft(static_cast<uint16_t>(n), impulse.data(), zeros.data(), re.data(), im.data());
    ASSERT_EQ(std::pair(re, im), std::pair(Vec(n, 3.0), zeros)) << "size " << n;
  }
}

}  // namespace
