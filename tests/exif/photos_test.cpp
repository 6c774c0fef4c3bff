// The reader over the shared camera pictures: every file reads to its documented outcome, and
// several are checked field by field against values confirmed with other EXIF tools (keeping in
// mind that this reader cuts inline SHORT values to 8 bits and reads even short texts at an
// offset).
#include <filesystem>
#include <set>
#include <stdexcept>

#include <gtest/gtest.h>

#include "exif/exif.h"
#include "platform/core/file_source.h"

namespace fs = std::filesystem;

namespace {

const fs::path Photos = fs::path(LUMO_TESTDATA) / "photos";

// Reads a camera picture as the program reads files: through the platform's file source.
void ReadPhoto(TExif& exif, const std::string& name) {
    platform::FileSource file;
    if (!file.openHost((Photos / name).string()))
        throw std::runtime_error(name + " is missing");
    exif.Read(file);
}

class CameraPictures : public testing::Test {
protected:
    void SetUp() override {
        if (!fs::is_directory(Photos))
            GTEST_SKIP() << "no camera pictures at " << Photos;
    }
};

} // namespace

TEST_F(CameraPictures, EveryFileReadsToItsDocumentedOutcome) {
    // Their first APP1 is an XMP packet: it is taken for the EXIF block, and the "TIFF header"
    // read from its text points far beyond the end of the file.
    const std::set<std::string> readErrors = {"xmp_app1_before_exif_app1.jpg",
                                              "xmp_only_image01137.jpg"};
    // No APP1 at all, or an Exif APP1 at an even offset the pair search cannot see.
    const std::set<std::string> notValid = {"Olympus_D320L_no_exif.jpg",
                                            "no_app_segments_Writer.jpg", "iptc_only_no_exif.jpg",
                                            "orientation_landscape_6.jpg"};
    int files = 0;
    for (const auto& entry : fs::directory_iterator(Photos)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".md")
            continue;
        ++files;
        TExif exif;
        if (readErrors.count(name)) {
            EXPECT_THROW(ReadPhoto(exif, name), EInOutError) << name;
            EXPECT_TRUE(exif.Valid) << name;
            continue;
        }
        EXPECT_NO_THROW(ReadPhoto(exif, name)) << name;
        EXPECT_EQ(exif.Valid, !notValid.count(name)) << name;
        if (!exif.Valid) {
            EXPECT_EQ(exif.Make + exif.Model + exif.DateTime, "") << name;
        }
    }
    EXPECT_EQ(files, 37);
}

TEST_F(CameraPictures, IntelBlockAfterJfif) {
    TExif exif;
    ReadPhoto(exif, "Canon_EOS_40D.jpg");
    ASSERT_TRUE(exif.Valid);
    EXPECT_EQ(exif.Make, "Canon");
    EXPECT_EQ(exif.Model, "Canon EOS 40D");
    EXPECT_EQ(exif.Software, "GIMP 2.4.5");
    EXPECT_EQ(exif.DateTime, "2008:07:31 10:38:11");
    EXPECT_EQ(exif.DateTimeOriginal, "2008:05:30 15:56:01");
    EXPECT_EQ(exif.DateTimeDigitized, "2008:05:30 15:56:01");
    EXPECT_EQ(exif.UserComments, ""); // all-NUL character code prefix
    EXPECT_EQ(exif.Exposure, "1/160 seconds");
    EXPECT_EQ(exif.FStops, "7.1");
    EXPECT_EQ(exif.ShutterSpeed, "1/166 seconds"); // 483328/65536 = 7.375
    EXPECT_EQ(exif.Aperture, "5.62");              // 368640/65536 = 5.625, half to even
    EXPECT_EQ(exif.MaxAperture, "");
    EXPECT_EQ(exif.ExposureProgramDesc, "Manual Control");
    EXPECT_EQ(exif.ISOSpeed, 100);
    EXPECT_EQ(exif.PixelXDimension, 100u);
    EXPECT_EQ(exif.PixelYDimension, 68u);
    EXPECT_EQ(exif.XResolution, 72u);
    EXPECT_EQ(exif.MeteringMethod, "Pattern");
    EXPECT_EQ(exif.Flash, 9);
    EXPECT_EQ(exif.FlashDesc, "No Flash");
    EXPECT_EQ(exif.LightSourceDesc, "");
}

TEST_F(CameraPictures, MotorolaBlockAfterJfif) {
    TExif exif;
    ReadPhoto(exif, "Fujifilm_FinePix6900ZOOM.jpg");
    ASSERT_TRUE(exif.Valid);
    EXPECT_EQ(exif.Make, "FUJIFILM");
    EXPECT_EQ(exif.Copyright, ""); // blanks only
    EXPECT_EQ(exif.Exposure, "");  // no ExposureTime entry
    EXPECT_EQ(exif.FStops, "4.0");
    EXPECT_EQ(exif.ShutterSpeed, "1/362 seconds"); // 850/100
    EXPECT_EQ(exif.MaxAperture, "3.0");
    EXPECT_EQ(exif.CompressedBPP, "3.2");
    EXPECT_EQ(exif.ISOSpeed, 100);
    EXPECT_EQ(exif.ExposureProgramDesc, "Normal Program");
    EXPECT_EQ(exif.MeteringMode, 5);
    EXPECT_EQ(exif.PixelYDimension, 75u);
}

TEST_F(CameraPictures, Ifd0ElsewhereAndShortDimensions) {
    TExif exif;
    ReadPhoto(exif, "Nikon_D70s_ifd0_offset_not_8.jpg");
    ASSERT_TRUE(exif.Valid);
    EXPECT_EQ(exif.Make, "NIKON CORPORATION");
    EXPECT_EQ(exif.Model, "NIKON D70s");
    EXPECT_EQ(exif.Exposure, "10/600 seconds");
    EXPECT_EQ(exif.FStops, "29.0");
    EXPECT_EQ(exif.ShutterSpeed, "1/60 seconds"); // 5906891/1000000
    EXPECT_EQ(exif.Aperture, "9.72");
    EXPECT_EQ(exif.MaxAperture, "4.3");
    EXPECT_EQ(exif.CompressedBPP, "2.0");
    EXPECT_EQ(exif.ISOSpeed, 1000);
    EXPECT_EQ(exif.PixelXDimension, 1488u & 0xFF); // SHORT 1488
    EXPECT_EQ(exif.PixelYDimension, 2240u & 0xFF); // SHORT 2240
    EXPECT_EQ(exif.XResolution, 300u);
    EXPECT_EQ(exif.LightSourceDesc, "Unknown");
}

TEST_F(CameraPictures, CountOneTextsAndRotation) {
    TExif exif;
    ReadPhoto(exif, "Canon_PowerShot_SX60_hdr_NO.jpg");
    ASSERT_TRUE(exif.Valid);
    EXPECT_EQ(exif.ImageDesc, "");
    EXPECT_EQ(exif.Artist, "I"); // count 1: the first byte of "II"
    EXPECT_EQ(exif.Copyright, "I");
    EXPECT_EQ(exif.Orientation, 6);
    EXPECT_EQ(exif.OrientationDesc, "Rotated 90 right");
    EXPECT_EQ(exif.ISOSpeed, 800);
    EXPECT_EQ(exif.FStops, "5.6");                // 28/5
    EXPECT_EQ(exif.ShutterSpeed, "1/60 seconds"); // 189/32
    EXPECT_EQ(exif.Aperture, "4.97");
}

TEST_F(CameraPictures, OddValuesFromOlderCameras) {
    TExif rebel;
    ReadPhoto(rebel, "Canon_EOS_DigitalRebel_exiftool.jpg");
    EXPECT_EQ(rebel.ShutterSpeed, "1 seconds"); // -2147483648/1 read as unsigned
    EXPECT_EQ(rebel.Exposure, "4/1 seconds");
    EXPECT_EQ(rebel.FStops, "14.0");
    EXPECT_EQ(rebel.PixelXDimension, 160u);

    TExif kodak;
    ReadPhoto(kodak, "Kodak_DC210.jpg");
    EXPECT_EQ(kodak.ImageDesc, "");     // count 0
    EXPECT_EQ(kodak.CompressedBPP, ""); // 0/0
    EXPECT_EQ(kodak.ShutterSpeed, "1/32 seconds");
    EXPECT_EQ(kodak.FlashDesc, "Flash");
    EXPECT_EQ(kodak.XResolution, 216u);

    TExif longText;
    ReadPhoto(longText, "long_description.jpg");
    EXPECT_EQ(longText.ImageDesc.size(), 419u);
    EXPECT_EQ(longText.ImageDesc.substr(0, 26), "Operation Mountain Viper p");
    EXPECT_EQ(longText.Copyright, "M");
    EXPECT_EQ(longText.Artist, "SSG KYLE DAVIS");
    EXPECT_EQ(longText.Flash, 9969 & 0xFF); // SHORT 9969
    EXPECT_EQ(longText.FlashDesc, "No Flash");

    TExif iphone;
    ReadPhoto(iphone, "Apple_iPhone6_hdr_NO.jpg");
    EXPECT_EQ(iphone.Software, ""); // "8.3" kept inside the entry is read as an offset
    EXPECT_EQ(iphone.ShutterSpeed, "1/40 seconds");
    EXPECT_EQ(iphone.Aperture, "2.28");
    EXPECT_EQ(iphone.PixelXDimension, 3264u);
    EXPECT_EQ(iphone.MeteringMethod, "Spot");
}

TEST_F(CameraPictures, TruncatedPictureDataDoesNotMatter) {
    TExif exif;
    ASSERT_NO_THROW(ReadPhoto(exif, "Olympus_u1020_truncated_data.jpg"));
    EXPECT_TRUE(exif.Valid);
    EXPECT_EQ(exif.Make, "OLYMPUS IMAGING CORP.");
    EXPECT_EQ(exif.ImageDesc, "OLYMPUS DIGITAL CAMERA");
    EXPECT_EQ(exif.PixelXDimension, 3648u);
}
