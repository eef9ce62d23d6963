// The FFT against the plain block-by-block form of the same transform, its
// result for simple signals, and its refusal of sizes that are not powers of two.
#include "spectrum/fourier.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

struct Spectrum {
  std::vector<double> real;
  std::vector<double> imag;
};

Spectrum Fft(const std::vector<double>& realIn, const std::vector<double>& imagIn) {
  Spectrum out{std::vector<double>(realIn.size(), -7.0), std::vector<double>(realIn.size(), -7.0)};
  ForwardFft(static_cast<uint16_t>(realIn.size()), realIn.data(), imagIn.data(), out.real.data(),
             out.imag.data());
  return out;
}

// The transform in its plain form: each index reversed bit by bit, and the
// twiddle recurrence restarted at 1 for every block of every pass.
Spectrum BlockByBlockFft(const std::vector<double>& realIn, const std::vector<double>& imagIn) {
  const unsigned n = static_cast<unsigned>(realIn.size());
  unsigned bits = 0;
  while ((1u << bits) < n) ++bits;
  Spectrum out{std::vector<double>(n), std::vector<double>(n)};
  for (unsigned i = 0; i < n; ++i) {
    unsigned r = 0;
    for (unsigned b = 0, rest = i; b < bits; ++b, rest >>= 1) r = (r << 1) | (rest & 1u);
    out.real[r] = realIn[i];
    out.imag[r] = imagIn[i];
  }
  unsigned blockEnd = 1;
  for (unsigned blockSize = 2; blockSize <= n; blockSize *= 2) {
    const double delta = 6.283185307179586 / blockSize;
    const double s = std::sin(0.5 * delta);
    const double alpha = 2.0 * s * s;
    const double beta = std::sin(delta);
    for (unsigned i = 0; i < n; i += blockSize) {
      double wr = 1.0, wi = 0.0;
      for (unsigned j = i; j < i + blockEnd; ++j) {
        const unsigned k = j + blockEnd;
        const double tr = wr * out.real[k] - wi * out.imag[k];
        const double ti = wr * out.imag[k] + wi * out.real[k];
        out.real[k] = out.real[j] - tr;
        out.imag[k] = out.imag[j] - ti;
        out.real[j] = out.real[j] + tr;
        out.imag[j] = out.imag[j] + ti;
        const double t = alpha * wr + beta * wi;
        wi = wi - (alpha * wi - beta * wr);
        wr = wr - t;
      }
    }
    blockEnd = blockSize;
  }
  return out;
}

// The transform shares each pass's twiddles across blocks and steps the bit
// reversal; neither may change a single bit of the result.
TEST(Fft, GivesBitForBitTheResultOfThePlainBlockByBlockForm) {
  for (int n : {2, 8, 2048, 32768}) {
    std::mt19937 random(static_cast<uint32_t>(n) + 1);
    std::uniform_real_distribution<double> sample(-32768.0, 32767.0);
    std::vector<double> realIn(n), imagIn(n);
    for (int i = 0; i < n; ++i) {
      realIn[i] = sample(random);
      imagIn[i] = i % 3 == 0 ? 0.0 : sample(random);
    }
    const Spectrum fast = Fft(realIn, imagIn);
    const Spectrum plain = BlockByBlockFft(realIn, imagIn);
    ASSERT_EQ(fast.real, plain.real) << "size " << n;
    ASSERT_EQ(fast.imag, plain.imag) << "size " << n;
  }
}

TEST(Fft, ImpulseGivesAFlatUnscaledSpectrumUpToTheLargestSize) {
  for (int n : {2, 2048, 32768}) {
    std::vector<double> realIn(n, 0.0), imagIn(n, 0.0);
    realIn[0] = 3.0;
    const Spectrum out = Fft(realIn, imagIn);
    for (int k = 0; k < n; ++k) {
      ASSERT_EQ(out.real[k], 3.0) << "size " << n << " bin " << k;
      ASSERT_EQ(out.imag[k], 0.0) << "size " << n << " bin " << k;
    }
  }
}

TEST(Fft, AngleNumeratorOfMinusTwoPiGivesTheConjugateTransformOfRealInput) {
  constexpr int kN = 16;
  std::vector<double> realIn(kN), imagIn(kN, 0.0);
  for (int i = 0; i < kN; ++i) realIn[i] = (i * 7919) % 23 - 11;
  const Spectrum forward = Fft(realIn, imagIn);
  Spectrum inverse{std::vector<double>(kN), std::vector<double>(kN)};
  ComplexFft(kN, -2.0 * std::numbers::pi, realIn.data(), imagIn.data(), inverse.real.data(),
             inverse.imag.data());
  for (int k = 0; k < kN; ++k) {
    EXPECT_NEAR(inverse.real[k], forward.real[k], 1e-9);
    EXPECT_NEAR(inverse.imag[k], -forward.imag[k], 1e-9);
  }
}

class FftSizeCheck : public ::testing::TestWithParam<int> {};

// The message goes to standard output; the death test only sees standard
// error, so the dying statement points standard output there first (after
// flushing what the test runner had already written).
TEST_P(FftSizeCheck, ASizeThatIsNoPowerOfTwoEndsTheProgramWithTheMessage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const int size = GetParam();
  std::vector<double> a(8), b(8), c(8), d(8);
  const std::string message = "^Error in procedure Fourier:  NumSamples=" + std::to_string(size) +
                              " is not a positive integer power of 2\\.\n$";
  EXPECT_EXIT(
      {
        std::fflush(stdout);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        ForwardFft(static_cast<uint16_t>(size), a.data(), b.data(), c.data(), d.data());
      },
      ::testing::ExitedWithCode(1), message);
}

INSTANTIATE_TEST_SUITE_P(BadSizes, FftSizeCheck, ::testing::Values(0, 1, 3, 6, 1000, 2047, 65535));

}  // namespace
