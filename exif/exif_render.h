// The texts of the EXIF record: names of the coded values and the number texts of rationals.
// Fixed English words and a point as decimal separator, whatever the user's locale.
#pragma once

#include <cstdint>
#include <string>

namespace exif {

// Names chosen by an entry's value; every value outside a table gets the table's default name.
const char* OrientationName(uint8_t code);
const char* ExposureProgramName(uint32_t value);
const char* MeteringName(uint32_t value);
const char* LightSourceName(uint32_t value);
const char* FlashName(uint32_t value);

// Quotient with two decimals and one trailing zero dropped ("2.8", "8.0", "0.33"); empty for a
// zero denominator.
std::string DecimalText(uint32_t numerator, uint32_t denominator);
// "numerator/denominator" as stored, not reduced ("10/600", "5/0"); "0" for a denominator of
// exactly 1000000.
std::string FractionText(uint32_t numerator, uint32_t denominator);
// Shutter speed text of an APEX value: "1/" + round(2^v) + " seconds"; "1 seconds" from 65535
// on (where a negative value read as unsigned lands); empty when 2^v overflows.
std::string ShutterSpeedText(float v);

} // namespace exif
