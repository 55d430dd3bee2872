#pragma once

#include <array>
#include <cstdint>

// A sum of single-precision values kept exactly, whatever their magnitudes
// and however many are added and taken away (up to 2^31 terms), so that its
// value depends only on which terms it holds and never on their order.
//
// Every finite float is an integer multiple of 2^-149 below 2^128, so the sum
// is kept as one 320-bit two's-complement integer counting units of 2^-149.
class ExactSum {
  public:
    // Adds or takes away a value; precondition: finite.
    void add(float value);
    void subtract(float value);

    // The sum, rounded to double precision (to within an ulp or two, and
    // exactly when the sum is a double). The same sum always gives the same
    // double.
    double value() const;

  private:
    // Adds (sign false) or takes away `mantissa` × 2^shift units.
    void accumulate(std::uint64_t mantissa, int shift, bool negative);

    static constexpr int limb_count = 5;
    std::array<std::uint64_t, limb_count> limbs_{};
};
