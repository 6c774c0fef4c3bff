// Shared set-up of the thumbnail extraction tests: drive C: mapped onto a temporary folder, and
// pictures written into it, plain or with an EXIF thumbnail as cameras write them, and raw files
// with their previews.
#pragma once

#include <string>

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/qt/jpeg.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tiff_layout.h"

inline lumo::test::Bytes Encoded(const QImage& picture) {
    const std::string bytes = platform::encodeJpeg(picture, 90);
    return lumo::test::Bytes(bytes.begin(), bytes.end());
}

inline QImage Solid(int width, int height, QColor color) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(color);
    return picture;
}

class PictureFixture : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setDriveMap({{'C', dir_.path(), platform::DRIVE_FIXED, "", true}});
    }
    void TearDown() override { platform::setDriveMap({}); }

    // "C:\" followed by the relative path with backslashes.
    static std::string Program(const std::string& relative) {
        std::string path = "C:\\" + relative;
        for (char& c : path)
            if (c == '/')
                c = '\\';
        return path;
    }
    std::string Host(const std::string& relative) const { return dir_ / relative; }

    // A picture of width x height in one colour; with thumbnailWidth > 0 it carries an EXIF
    // thumbnail of that size in another colour, so a test sees which of the two was used.
    void WritePicture(const std::string& relative, int width, int height, QColor color,
                      int thumbnailWidth = 0, int thumbnailHeight = 0,
                      QColor thumbnailColor = Qt::red) const {
        lumo::test::Bytes bytes = Encoded(Solid(width, height, color));
        if (thumbnailWidth > 0)
            bytes = lumo::test::WithExifThumbnail(
                bytes, Encoded(Solid(thumbnailWidth, thumbnailHeight, thumbnailColor)));
        lumo::test::writeBytes(Host(relative), bytes);
    }

    // A CR2 raw file whose preview strip is a picture of width x height in one colour; with
    // thumbnailWidth > 0 its IFD1 also holds a thumbnail of that size in another colour, and with
    // width 0 the thumbnail alone.
    void WriteRaw(const std::string& relative, int width, int height, QColor color,
                  int thumbnailWidth = 0, int thumbnailHeight = 0,
                  QColor thumbnailColor = Qt::red) const {
        const lumo::test::Bytes preview =
            width > 0 ? Encoded(Solid(width, height, color)) : lumo::test::Bytes();
        const lumo::test::Bytes thumbnail =
            thumbnailWidth > 0 ? Encoded(Solid(thumbnailWidth, thumbnailHeight, thumbnailColor))
                               : lumo::test::Bytes();
        lumo::test::writeBytes(Host(relative), lumo::test::CanonRawFile(preview, thumbnail));
    }

    lumo::test::TempDir dir_;
};

// Colours survive JPEG only roughly.
inline bool Near(QColor a, QColor b, int tolerance = 24) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}
