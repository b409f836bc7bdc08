#pragma once
// Numbers with six decimals ("%f" in the C locale), as the position texts and
// the map page's coordinates carry them. Written for every sample of a film,
// so the usual magnitudes take an exact integer path instead of the general one.

#include <string>

namespace tesmira {

// Appends exactly what std::to_chars(..., std::chars_format::fixed, 6) writes:
// the binary value correctly rounded to six decimals, ties to even, a minus
// sign whenever the sign bit is set ("-0.000000"), "inf"/"nan" as to_chars has them.
void AppendFixed6(std::string& out, double value);

}  // namespace tesmira
