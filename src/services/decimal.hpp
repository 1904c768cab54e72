// The exact value of a double rounded to a number of significant decimal digits, worked out in
// integer arithmetic: the same digits on every processor, runtime and rounding mode, and none of
// the tables a general floating-point formatter brings.
#pragma once

#include <cstdint>

struct DecimalDigits {
  std::uint64_t digits;  // exactly the count asked for: 10^(count-1) <= digits < 10^count
  int exponent;          // of the first digit: the value is digits x 10^(exponent - count + 1)
};

// For a finite value above zero and a count from 1 to 19: the nearest number with that many
// significant digits; a value halfway between two goes to the one whose last digit is even.
DecimalDigits roundToSignificantDigits(double value, int count);
