// The FFT against the plain block-by-block form of the same transform, its
// unscaled result for an impulse, and its refusal of sizes that are not
// powers of two.
#include "spectrum/fourier.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

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

// The transform shares each pass's twiddles across blocks and steps the bit
// reversal; neither may change a single bit of the result. An impulse of 3
// gives 3 in every bin: no scaling.
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
    ASSERT_EQ(re, Vec(n, 3.0)) << "size " << n;
    ASSERT_EQ(im, Vec(n, 0.0)) << "size " << n;
  }
}

class FftSizeCheck : public ::testing::TestWithParam<int> {};

// The message goes to standard output; the death test only sees standard
// error, so the dying statement points standard output there first.
TEST_P(FftSizeCheck, ASizeThatIsNoPowerOfTwoEndsTheProgramWithTheMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const int size = GetParam();
  std::vector<double> a(8), b(8), c(8), d(8);
  EXPECT_EXIT(
      {
        std::fflush(stdout);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        ForwardFft(static_cast<uint16_t>(size), a.data(), b.data(), c.data(), d.data());
      },
      ::testing::ExitedWithCode(1),
      "^Error in procedure Fourier:  NumSamples=" + std::to_string(size) +
          " is not a positive integer power of 2\\.\n$");
}

INSTANTIATE_TEST_SUITE_P(BadSizes, FftSizeCheck, ::testing::Values(0, 1, 3, 2047, 65535));

}  // namespace
