#include "services/decimal.hpp"

#include <cstring>

namespace {

// An unsigned integer, least significant word first. The largest one the rounding below meets is
// under 2^1082: the smallest subnormal's denominator 2^1074 with a quotient below 100, or the
// largest double times ten.
class BigNumber {
 public:
  explicit BigNumber(std::uint64_t value) {
    words_[0] = static_cast<std::uint32_t>(value);
    words_[1] = static_cast<std::uint32_t>(value >> 32);
    size_ = words_[1] != 0 ? 2 : (words_[0] != 0 ? 1 : 0);
  }

  void shiftLeft(int bits) {
    const int wordShift = bits / 32;
    const int bitShift = bits % 32;
    if (size_ == 0) return;
    words_[size_] = 0;
    for (int i = size_; i >= 0; --i) {
      const std::uint32_t low = i > 0 && bitShift != 0 ? words_[i - 1] >> (32 - bitShift) : 0;
      words_[i + wordShift] = (words_[i] << bitShift) | low;
    }
    for (int i = 0; i < wordShift; ++i) words_[i] = 0;
    size_ += wordShift + 1;
    trim();
  }

  void multiply(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (int i = 0; i < size_; ++i) {
      const std::uint64_t product = static_cast<std::uint64_t>(words_[i]) * factor + carry;
      words_[i] = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) words_[size_++] = static_cast<std::uint32_t>(carry);
  }

  void multiplyByPowerOfTen(int n) {
    constexpr std::uint32_t kTenToTheNinth = 1000000000;
    for (; n >= 9; n -= 9) multiply(kTenToTheNinth);
    std::uint32_t rest = 1;
    for (; n > 0; --n) rest *= 10;
    multiply(rest);
  }

  // Only for other <= *this.
  void subtract(const BigNumber& other) {
    std::uint32_t borrow = 0;
    for (int i = 0; i < size_; ++i) {
      const std::uint64_t taken = static_cast<std::uint64_t>(i < other.size_ ? other.words_[i] : 0) + borrow;
      borrow = words_[i] < taken ? 1 : 0;
      words_[i] = static_cast<std::uint32_t>(words_[i] - taken);
    }
    trim();
  }

  friend int compare(const BigNumber& a, const BigNumber& b) {
    if (a.size_ != b.size_) return a.size_ < b.size_ ? -1 : 1;
    for (int i = a.size_ - 1; i >= 0; --i) {
      if (a.words_[i] != b.words_[i]) return a.words_[i] < b.words_[i] ? -1 : 1;
    }
    return 0;
  }

 private:
  static constexpr int kWords = 36;

  void trim() {
    while (size_ > 0 && words_[size_ - 1] == 0) --size_;
  }

  std::uint32_t words_[kWords] = {};
  int size_ = 0;  // words in use; the highest of them is not zero
};

int bitLength(std::uint64_t n) {
  int length = 0;
  for (; n != 0; n >>= 1) ++length;
  return length;
}

// floor(n / d) for d above zero, whatever the sign of n.
int floorDivide(int n, int d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }

}  // namespace

DecimalDigits roundToSignificantDigits(double value, int count) {
  // value = significand x 2^binaryExponent exactly.
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  constexpr int kFractionBits = 52;
  constexpr int kExponentBias = 1023 + kFractionBits;
  const int biased = static_cast<int>((bits >> kFractionBits) & 0x7FF);
  std::uint64_t significand = bits & ((std::uint64_t{1} << kFractionBits) - 1);
  int binaryExponent = 1 - kExponentBias;  // subnormal
  if (biased != 0) {
    significand |= std::uint64_t{1} << kFractionBits;
    binaryExponent = biased - kExponentBias;
  }

  // remainder / divisor = value / 10^exponent, brought into [1, 10). The guess of the exponent
  // (78913 / 2^18 is log10(2) from below) is at most one or two too small; the loops mend it.
  BigNumber remainder(significand);
  BigNumber divisor(1);
  if (binaryExponent > 0) remainder.shiftLeft(binaryExponent);
  if (binaryExponent < 0) divisor.shiftLeft(-binaryExponent);
  int exponent = floorDivide((binaryExponent + bitLength(significand) - 1) * 78913, 1 << 18);
  if (exponent > 0) divisor.multiplyByPowerOfTen(exponent);
  if (exponent < 0) remainder.multiplyByPowerOfTen(-exponent);
  for (;;) {
    BigNumber tenDivisors = divisor;
    tenDivisors.multiply(10);
    if (compare(remainder, tenDivisors) < 0) break;
    divisor = tenDivisors;
    ++exponent;
  }
  while (compare(remainder, divisor) < 0) {
    remainder.multiply(10);
    --exponent;
  }

  // One digit at a time: the quotient is below ten, so a few subtractions find it.
  std::uint64_t digits = 0;
  for (int i = 0; i < count; ++i) {
    if (i > 0) remainder.multiply(10);
    unsigned digit = 0;
    for (; compare(remainder, divisor) >= 0; ++digit) remainder.subtract(divisor);
    digits = digits * 10 + digit;
  }

  // What is left is below one unit of the last digit: round on twice its size against a unit.
  remainder.shiftLeft(1);
  const int half = compare(remainder, divisor);
  if (half > 0 || (half == 0 && digits % 2 != 0)) {
    ++digits;
    std::uint64_t limit = 1;
    for (int i = 0; i < count; ++i) limit *= 10;
    if (digits == limit) {  // 9.99...5 became 10.00...: one digit fewer, one exponent more
      digits /= 10;
      ++exponent;
    }
  }
  return {digits, exponent};
}
