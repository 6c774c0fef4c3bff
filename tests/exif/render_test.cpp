// The texts of coded values and rationals, as tables of literal cases.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "exif/exif_render.h"

using namespace exif;

struct RationalCase {
    uint32_t numerator;
    uint32_t denominator;
    const char* text;
};

class DecimalForm : public testing::TestWithParam<RationalCase> {};

TEST_P(DecimalForm, TwoDecimalsWithOneTrailingZeroDropped) {
    EXPECT_EQ(DecimalText(GetParam().numerator, GetParam().denominator), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Rationals, DecimalForm,
                         testing::Values(RationalCase{28, 10, "2.8"}, RationalCase{56, 10, "5.6"},
                                         RationalCase{8, 1, "8.0"}, RationalCase{497, 100, "4.97"},
                                         RationalCase{1, 3, "0.33"}, RationalCase{2, 3, "0.67"},
                                         RationalCase{0, 1, "0.0"}, RationalCase{5, 0, ""},
                                         RationalCase{100, 1, "100.0"},
                                         RationalCase{4294967295u, 1, "4294967295.0"},
                                         RationalCase{4294967295u, 4294967294u, "1.0"},
                                         RationalCase{1, 4294967295u, "0.0"}));

class FractionForm : public testing::TestWithParam<RationalCase> {};

TEST_P(FractionForm, StoredNumbersUnreduced) {
    EXPECT_EQ(FractionText(GetParam().numerator, GetParam().denominator), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Rationals, FractionForm,
    testing::Values(RationalCase{1, 60, "1/60"}, RationalCase{10, 1, "10/1"},
                    RationalCase{10, 600, "10/600"}, RationalCase{16666, 1000000, "0"},
                    RationalCase{5, 0, "5/0"},
                    RationalCase{4294967295u, 4294967295u, "4294967295/4294967295"}));

struct ShutterCase {
    float v;
    const char* text;
};

class ShutterRule : public testing::TestWithParam<ShutterCase> {};

TEST_P(ShutterRule, PowerOfTwoRoundedToTheNearestWholeNumber) {
    EXPECT_EQ(ShutterSpeedText(GetParam().v), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    ApexValues, ShutterRule,
    testing::Values(ShutterCase{6.0f, "1/64 seconds"},
                    ShutterCase{static_cast<float>(5906891.0L / 1000000), "1/60 seconds"},
                    ShutterCase{7.0f, "1/128 seconds"}, ShutterCase{0.0f, "1/1 seconds"},
                    ShutterCase{7.375f, "1/166 seconds"},
                    ShutterCase{64.0f, "1/18446744073709551616 seconds"},
                    ShutterCase{65535.0f, "1 seconds"}, ShutterCase{4294967295.0f, "1 seconds"},
                    ShutterCase{16384.0f, ""}, ShutterCase{65534.0f, ""}));

TEST(ShutterRule, LargestFinitePowerIsWrittenOut) {
    const std::string text = ShutterSpeedText(16383.5f);
    ASSERT_GT(text.size(), 4900u);
    ASSERT_EQ(text.substr(0, 2), "1/");
    ASSERT_EQ(text.substr(text.size() - 8), " seconds");
    const std::string digits = text.substr(2, text.size() - 10);
    EXPECT_TRUE(
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }));
}

struct NameCase {
    const char* (*lookup)(uint32_t);
    uint32_t value;
    const char* name;
};

class CodeNames : public testing::TestWithParam<NameCase> {};

TEST_P(CodeNames, TableOrDefault) {
    EXPECT_STREQ(GetParam().lookup(GetParam().value), GetParam().name);
}

const char* Orientation(uint32_t value) {
    return OrientationName(static_cast<uint8_t>(value));
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CodeNames,
    testing::Values(
        NameCase{Orientation, 0, "Unknown"}, NameCase{Orientation, 1, "Normal"},
        NameCase{Orientation, 2, "Mirrored"}, NameCase{Orientation, 4, "Rotated 180, mirrored"},
        NameCase{Orientation, 5, "Rotated 90 left, mirrored"},
        NameCase{Orientation, 6, "Rotated 90 right"},
        NameCase{Orientation, 7, "Rotated 90 right, mirrored"},
        NameCase{Orientation, 8, "Rotated 90 left"}, NameCase{Orientation, 9, "Unknown"},
        NameCase{Orientation, 255, "Unknown"}, NameCase{ExposureProgramName, 0, "Unknown"},
        NameCase{ExposureProgramName, 1, "Manual Control"},
        NameCase{ExposureProgramName, 2, "Normal Program"},
        NameCase{ExposureProgramName, 8, "Landscape Mode"},
        NameCase{ExposureProgramName, 9, "Unknown"}, NameCase{ExposureProgramName, 258, "Unknown"},
        NameCase{MeteringName, 0, "Unknown"}, NameCase{MeteringName, 2, "Center Weighted Average"},
        NameCase{MeteringName, 4, "Multi Spot"}, NameCase{MeteringName, 7, "Other"},
        NameCase{MeteringName, 8, "Unknown"}, NameCase{MeteringName, 255, "Unknown"},
        NameCase{LightSourceName, 0, "Unknown"}, NameCase{LightSourceName, 2, "Flourescent"},
        NameCase{LightSourceName, 4, "Unknown"}, NameCase{LightSourceName, 10, "Flash"},
        NameCase{LightSourceName, 17, "Standard Light A"},
        NameCase{LightSourceName, 19, "Standard Light C"}, NameCase{LightSourceName, 20, "D55"},
        NameCase{LightSourceName, 22, "D75"}, NameCase{LightSourceName, 23, "Unknown"},
        NameCase{LightSourceName, 255, "Other"}, NameCase{LightSourceName, 257, "Unknown"},
        NameCase{FlashName, 0, "No Flash"}, NameCase{FlashName, 1, "Flash"},
        NameCase{FlashName, 5, "Flash No Strobe"}, NameCase{FlashName, 7, "Flash Strobe"},
        NameCase{FlashName, 9, "No Flash"}, NameCase{FlashName, 16, "No Flash"},
        NameCase{FlashName, 25, "Flash (Auto)"}, NameCase{FlashName, 281, "No Flash"}));
