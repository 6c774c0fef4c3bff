// Name tables and number forms of the EXIF record.
#include "exif/exif_render.h"

#include <array>
#include <charconv>
#include <cmath>

namespace exif {

const char* OrientationName(uint8_t code) {
    static constexpr std::array<const char*, 9> names = {
        "Unknown",
        "Normal",
        "Mirrored",
        "Rotated 180",
        "Rotated 180, mirrored",
        "Rotated 90 left, mirrored",
        "Rotated 90 right",
        "Rotated 90 right, mirrored",
        "Rotated 90 left",
    };
    return code < names.size() ? names[code] : "Unknown";
}

const char* ExposureProgramName(uint32_t value) {
    static constexpr std::array<const char*, 9> names = {
        "Unknown",           "Manual Control",   "Normal Program",
        "Aperture Priority", "Shutter Priority", "Creative Program",
        "Action Program",    "Portrait Mode",    "Landscape Mode",
    };
    return value < names.size() ? names[value] : "Unknown";
}

const char* MeteringName(uint32_t value) {
    static constexpr std::array<const char*, 8> names = {
        "Unknown", "Average", "Center Weighted Average", "Spot", "Multi Spot", "Pattern",
        "Partial", "Other",
    };
    return value < names.size() ? names[value] : "Unknown";
}

const char* LightSourceName(uint32_t value) {
    switch (value) {
    case 1:
        return "Daylight";
    case 2:
        return "Flourescent";
    case 3:
        return "Tungsten";
    case 10:
        return "Flash";
    case 17:
        return "Standard Light A";
    case 18:
        return "Standard Light B";
    case 19:
        return "Standard Light C";
    case 20:
        return "D55";
    case 21:
        return "D65";
    case 22:
        return "D75";
    case 255:
        return "Other";
    default:
        return "Unknown";
    }
}

const char* FlashName(uint32_t value) {
    switch (value) {
    case 1:
        return "Flash";
    case 5:
        return "Flash No Strobe";
    case 7:
        return "Flash Strobe";
    case 25:
        return "Flash (Auto)";
    default:
        return "No Flash";
    }
}

std::string DecimalText(uint32_t numerator, uint32_t denominator) {
    if (denominator == 0)
        return {};
    // Extended precision, and to_chars rather than printf: printf would follow the decimal
    // separator of a locale the windowing toolkit may have switched to.
    const long double quotient = static_cast<long double>(numerator) / denominator;
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, quotient, std::chars_format::fixed, 2);
    std::string text(buffer, end.ptr);
    if (!text.empty() && text.back() == '0')
        text.pop_back();
    return text;
}

std::string FractionText(uint32_t numerator, uint32_t denominator) {
    if (denominator == 1000000)
        return "0";
    return std::to_string(numerator) + '/' + std::to_string(denominator);
}

std::string ShutterSpeedText(float v) {
    if (v >= 65535.0f)
        return "1 seconds";
    const long double power = std::round(std::pow(2.0L, static_cast<long double>(v)));
    if (!std::isfinite(power))
        return {};
    // 2^v stays below 2^16384, whose whole-number text has 4933 digits.
    char digits[4940];
    const auto end =
        std::to_chars(digits, digits + sizeof digits, power, std::chars_format::fixed, 0);
    if (end.ec != std::errc{})
        return {};
    return "1/" + std::string(digits, end.ptr) + " seconds";
}

} // namespace exif
