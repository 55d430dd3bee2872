#include "flow/exact_sum.h"

#include <bit>
#include <cmath>

namespace {

// Exponent of the unit: the smallest positive float is 2^-149.
constexpr int unit_exponent = -149;

}  // namespace

void ExactSum::add(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const std::uint32_t exponent = (bits >> 23) & 0xffu;
    const std::uint32_t fraction = bits & 0x7fffffu;
    // A denormal is fraction × 2^-149; a normal float is
    // (2^23 + fraction) × 2^(exponent − 150), that is 2^(exponent − 1) units.
    const std::uint64_t mantissa = exponent == 0 ? fraction : (fraction | 0x800000u);
    const int shift = exponent == 0 ? 0 : static_cast<int>(exponent) - 1;
    if (mantissa != 0) {
        accumulate(mantissa, shift, (bits >> 31) != 0);
    }
}

void ExactSum::subtract(float value) {
    add(-value);
}

void ExactSum::accumulate(std::uint64_t mantissa, int shift, bool negative) {
    const int first = shift / 64;
    const unsigned __int128 term = static_cast<unsigned __int128>(mantissa) << (shift % 64);
    std::array<std::uint64_t, limb_count> addend{};
    addend[first] = static_cast<std::uint64_t>(term);
    addend[first + 1] = static_cast<std::uint64_t>(term >> 64);
    if (negative) {
        // Two's complement of the addend: invert and add one.
        bool carry = true;
        for (std::uint64_t& limb : addend) {
            limb = ~limb;
            if (carry) {
                carry = ++limb == 0;
            }
        }
    }
    unsigned carry = 0;
    for (int i = 0; i < limb_count; ++i) {
        const unsigned __int128 sum =
            static_cast<unsigned __int128>(limbs_[i]) + addend[i] + carry;
        limbs_[i] = static_cast<std::uint64_t>(sum);
        carry = static_cast<unsigned>(sum >> 64);
    }
}

double ExactSum::value() const {
    std::array<std::uint64_t, limb_count> magnitude = limbs_;
    const bool negative = (magnitude[limb_count - 1] >> 63) != 0;
    if (negative) {
        bool carry = true;
        for (std::uint64_t& limb : magnitude) {
            limb = ~limb;
            if (carry) {
                carry = ++limb == 0;
            }
        }
    }
    // From the most significant limb down: a sum that is a double has at
    // most 53 significant bits, each limb's share of them converts exactly,
    // and so does their sum.
    double result = 0.0;
    for (int i = limb_count - 1; i >= 0; --i) {
        result += std::ldexp(static_cast<double>(magnitude[i]), 64 * i + unit_exponent);
    }
    return negative ? -result : result;
}
