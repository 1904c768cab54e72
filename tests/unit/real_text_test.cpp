// toText(double) against std::to_chars, which rounds exactly: the program formats reals itself to
// stay small, and must give the same text for every double.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "services/text.hpp"

namespace {

// "%.13g" with a three-digit exponent, as std::to_chars makes it.
std::string oracleText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
  std::string text(buffer, result.ptr);
  const auto e = text.find('e');
  if (e != std::string::npos && text.size() - (e + 2) < 3) text.insert(e + 2, 3 - (text.size() - (e + 2)), '0');
  return text;
}

double fromBits(std::uint64_t bits) {
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::uint64_t bitsOf(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::string describe(double value) {
  char text[96];
  std::snprintf(text, sizeof text, "%.17g (bits 0x%016" PRIx64 ")", value, bitsOf(value));
  return text;
}

// Exactly halfway between two 13-digit numbers: a 14th significant digit 5 and nothing after it.
bool isTieAtTheThirteenthDigit(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 24);
  const std::string mantissa(buffer + (value < 0 ? 1 : 0), std::find(buffer, result.ptr, 'e'));
  return mantissa.size() == 26 && mantissa[14] == '5' && mantissa.find_first_not_of('0', 15) == std::string::npos;
}

std::mt19937_64& randomBits() {
  static std::mt19937_64 generator(20240615);  // fixed: a failure names a value that fails again
  return generator;
}

double withRandomSign(double value) { return randomBits()() & 1 ? -value : value; }

// Any 64 bits: every exponent, both signs, infinities and NaNs among them.
std::vector<double> bitPatterns() {
  std::vector<double> values;
  for (int i = 0; i < 200000; ++i) values.push_back(fromBits(randomBits()()));
  return values;
}

// Below the smallest normal number, with fractions of every length down to the smallest subnormal.
std::vector<double> subnormals() {
  std::vector<double> values;
  for (int i = 0; i < 20000; ++i) {
    const int length = 1 + static_cast<int>(randomBits()() % 52);
    const std::uint64_t fraction = (randomBits()() >> (64 - length)) | (std::uint64_t{1} << (length - 1));
    values.push_back(withRandomSign(fromBits(fraction)));
  }
  return values;
}

// N x 10^q / 2 with N odd and of 14 digits: N x 5^q x 2^(q - 1) in binary, which a double holds
// exactly when the odd part N x 5^q fits in 53 bits (q from -19 to 3). Each tie also with its
// neighbours, which must round away from it.
std::vector<double> exactTiesAndTheirNeighbours() {
  constexpr std::uint64_t kLeast = 2000000000001;  // 2 x 10^12 + 1: the first 13-digit half, doubled
  constexpr std::uint64_t kSpan = 18000000000000;  // up to 2 x 10^13
  std::vector<double> values;
  for (int i = 0; i < 20000; ++i) {
    const int q = -19 + static_cast<int>(randomBits()() % 23);
    std::uint64_t fivePower = 1;
    for (int k = 0; k < (q < 0 ? -q : q); ++k) fivePower *= 5;
    std::uint64_t odd = 0;  // N x 5^q, or N / 5^-q
    if (q >= 0) {
      odd = (kLeast + randomBits()() % kSpan) | 1;
      if (odd > (std::uint64_t{1} << 53) / fivePower) continue;
      odd *= fivePower;
    } else {
      const std::uint64_t lowest = (kLeast + fivePower - 1) / fivePower;
      const std::uint64_t count = (kLeast + kSpan) / fivePower - lowest;
      odd = (lowest + randomBits()() % (count + 1)) | 1;
      if (odd * fivePower >= kLeast + kSpan) odd -= 2;
    }
    const double tie = withRandomSign(std::ldexp(static_cast<double>(odd), q - 1));
    values.push_back(tie);
    values.push_back(std::nextafter(tie, 0.0));
    values.push_back(std::nextafter(tie, tie * 2));
  }
  return values;
}

// Where the digits carry into one more and where the plain form turns into the exponent form:
// every power of ten, 9.9999999999995 times it, and their neighbours.
std::vector<double> powersOfTenAndTheirNeighbours() {
  std::vector<double> values;
  for (int exponent = -324; exponent <= 308; ++exponent) {
    for (const char* digits : {"1e", "9.9999999999995e", "9.9999999999994999e", "5e", "1.0000000000005e"}) {
      const double value = std::strtod((digits + std::to_string(exponent)).c_str(), nullptr);
      for (double near : {value, std::nextafter(value, 0.0), std::nextafter(value, HUGE_VAL)}) {
        values.push_back(near);
        values.push_back(-near);
      }
    }
  }
  return values;
}

std::vector<double> extremes() {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  return {0.0,
          -0.0,
          HUGE_VAL,
          -HUGE_VAL,
          kNaN,
          -kNaN,
          std::numeric_limits<double>::max(),
          std::numeric_limits<double>::min(),
          std::numeric_limits<double>::denorm_min(),
          -std::numeric_limits<double>::denorm_min(),
          std::nextafter(std::numeric_limits<double>::min(), 0.0)};
}

struct Sample {
  const char* name;
  std::vector<double> (*values)();
};
void PrintTo(const Sample& sample, std::ostream* out) { *out << sample.name; }

class RealTextMatchesToChars : public ::testing::TestWithParam<Sample> {};

TEST_P(RealTextMatchesToChars, OnEveryValueOfTheSample) {
  const std::vector<double> values = GetParam().values();
  ASSERT_FALSE(values.empty());
  for (double value : values) ASSERT_EQ(toText(value), oracleText(value)) << describe(value);
}

INSTANTIATE_TEST_SUITE_P(Samples, RealTextMatchesToChars,
                         ::testing::Values(Sample{"BitPatterns", bitPatterns}, Sample{"Subnormals", subnormals},
                                           Sample{"ExactTies", exactTiesAndTheirNeighbours},
                                           Sample{"PowersOfTen", powersOfTenAndTheirNeighbours},
                                           Sample{"Extremes", extremes}),
                         [](const ::testing::TestParamInfo<Sample>& info) { return std::string(info.param.name); });

// The tie sample holds what its name says, so that the comparison above covers the tie rule.
TEST(RealTextSamples, TiesAreExactlyHalfwayAtTheThirteenthDigit) {
  const std::vector<double> values = exactTiesAndTheirNeighbours();
  ASSERT_GT(values.size(), 30000u);
  for (std::size_t i = 0; i < values.size(); i += 3) {
    ASSERT_TRUE(isTieAtTheThirteenthDigit(values[i])) << describe(values[i]);
    ASSERT_FALSE(isTieAtTheThirteenthDigit(values[i + 1])) << describe(values[i + 1]);
  }
}

// The tie rule itself, in figures: halfway goes to the even last digit.
TEST(RealText, HalfwayGoesToTheEvenDigit) {
  EXPECT_EQ(toText(1234567890123.5), "1234567890124");
  EXPECT_EQ(toText(1234567890122.5), "1234567890122");
  EXPECT_EQ(toText(10000000000005.0), "1e+013");
  EXPECT_EQ(toText(10000000000015.0), "1.000000000002e+013");
}

}  // namespace
