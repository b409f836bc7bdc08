#include "extract/decimal_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace tesmira {

namespace {

using Wide = unsigned __int128;

constexpr uint64_t kMillion = 1000000;

// The integer nearest to value * 10^6, ties to even, for 2^-22 <= value < 2^32:
// there the value is mantissa / 2^shift exactly (2^52 <= mantissa < 2^53,
// 21 <= shift <= 74), so value * 10^6 is an exact 128-bit quotient.
uint64_t roundedMillionths(double positive) {
    const uint64_t bits = std::bit_cast<uint64_t>(positive);
    const uint64_t mantissa = (bits & ((uint64_t{1} << 52) - 1)) | uint64_t{1} << 52;
    const auto shift = static_cast<int>(1075 - (bits >> 52));
    const Wide scaled = Wide{mantissa} * kMillion;
    auto whole = static_cast<uint64_t>(scaled >> shift);
    const Wide rest = scaled & ((Wide{1} << shift) - 1);
    const Wide half = Wide{1} << (shift - 1);
    if (rest > half || (rest == half && (whole & 1) != 0)) ++whole;
    return whole;
}

}  // namespace

void AppendFixed6(std::string& out, double value) {
    const double a = std::fabs(value);
    uint64_t millionths = 0;  // below 2^-22, under half a millionth: zero
    if (a >= 0x1p-22 && a < 0x1p32) {
        millionths = roundedMillionths(a);
    } else if (!(a < 0x1p-22)) {  // large, infinite or NaN
        char text[400];           // the longest binary64 in fixed notation with six decimals fits
        const auto res =
            std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
        out.append(text, res.ec == std::errc() ? res.ptr : text);
        return;
    }
    char text[32];  // sign, up to ten whole digits, point, six decimals
    char* end = text;
    if (std::signbit(value)) *end++ = '-';
    end = std::to_chars(end, text + sizeof text, millionths / kMillion).ptr;
    *end++ = '.';
    uint64_t fraction = millionths % kMillion;
    for (int i = 5; i >= 0; --i, fraction /= 10) end[i] = static_cast<char>('0' + fraction % 10);
    out.append(text, end + 6);
}

}  // namespace tesmira
