// lumograph-thumbs in its three forms, run as a separate program on host paths.
#include <filesystem>

#include <QProcess>

#include <gtest/gtest.h>

#include "tests/support/picture_writer.h"
#include "tests/thumbs/picture_fixture.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    QString out;
    QString err;
};

class ThumbsTool : public PictureFixture {
protected:
    void SetUp() override {
        PictureFixture::SetUp();
        fs::create_directory(Host("run"));
        fs::permissions(Host("run"), fs::perms::owner_all, fs::perm_options::replace);
    }
    ToolRun Tool(const QStringList& arguments) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(Host("run")));
        environment.insert("XDG_CACHE_HOME", QString::fromStdString(Host("cache")));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(QString::fromStdString(dir_.path()));
        process.start(QStringLiteral(LUMOGRAPH_THUMBS), arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

TEST_F(ThumbsTool, ThumbnailsOfFilesWithWhereTheyCameFrom) {
    WritePicture("camera.jpg", 1600, 1200, Qt::blue, 160, 120, Qt::red);
    WritePicture("plain.jpg", 1500, 1000, Qt::blue);
    lumo::test::writeFile(Host("notes.txt"), "text");
    fs::create_directory(Host("out"));
    const ToolRun run =
        Tool({"--out", "out", "camera.jpg", "missing.jpg", "plain.jpg", "notes.txt"});
    EXPECT_EQ(run.status, 1); // the missing file
    EXPECT_EQ(run.out, QStringLiteral("camera.jpg\t120x90\texif\n"
                                      "plain.jpg\t120x80\tdecoded\n"
                                      "notes.txt\t0x0\tnone\n"));
    EXPECT_TRUE(run.err.contains(QStringLiteral("missing.jpg")));
    const QImage written(QString::fromStdString(Host("out/camera.jpg.png")));
    EXPECT_EQ(written.size(), QSize(120, 120));
    EXPECT_TRUE(Near(written.pixelColor(60, 60), Qt::red));
    EXPECT_TRUE(fs::exists(Host("out/plain.jpg.png")));
    EXPECT_FALSE(fs::exists(Host("out/notes.txt.png")));
    // The decoded picture left its thumbnail in the desktop's cache, which serves the next run.
    EXPECT_EQ(Tool({"camera.jpg", "plain.jpg"}).out, QStringLiteral("camera.jpg\t120x90\texif\n"
                                                                    "plain.jpg\t120x80\tcache\n"));

    // A printer's CMYK picture gets its thumbnail.
    lumo::test::writeFile(Host("ink.jpg"),
                          lumo::test::encodeJpegBytes(Solid(480, 240, Qt::darkRed),
                                                      {.ink = lumo::test::JpegInk::AdobeCmyk}));
    const ToolRun ink = Tool({"ink.jpg"});
    EXPECT_EQ(ink.status, 0) << ink.err.toStdString();
    EXPECT_EQ(ink.out, QStringLiteral("ink.jpg\t120x60\tdecoded\n"));
    // A picture turned a quarter by the camera: its size as drawn, and drawn upright.
    const lumo::test::Quarters stored = lumo::test::distinctQuarters();
    lumo::test::writeFile(
        Host("turned.jpg"),
        lumo::test::turnedJpegBytes(lumo::test::quarteredPicture(480, 240, stored), 6));
    const ToolRun turned = Tool({"--out", "out", "turned.jpg"});
    EXPECT_EQ(turned.status, 0) << turned.err.toStdString();
    EXPECT_EQ(turned.out, QStringLiteral("turned.jpg\t60x120\tdecoded\n"));
    const QImage upright(QString::fromStdString(Host("out/turned.jpg.png")));
    ASSERT_EQ(upright.size(), QSize(120, 120));
    EXPECT_TRUE(lumo::test::nearColours(lumo::test::quarterColours(upright.copy(30, 0, 60, 120)),
                                        lumo::test::uprightQuarters(stored, 6)));
    // A file that gets no thumbnail is a problem.
    const ToolRun text = Tool({"notes.txt"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out, QStringLiteral("notes.txt\t0x0\tnone\n"));
    EXPECT_TRUE(text.err.contains(QStringLiteral("notes.txt")));
}

TEST_F(ThumbsTool, ListsAFolderAsTheWindowWould) {
    fs::create_directory(Host("f"));
    WriteRaw("f/IMG_1.CR2", 0, 0, Qt::blue, 160, 120);
    WritePicture("f/photo.jpg", 64, 48, Qt::blue);
    ToolRun run = Tool({"--folder", "f"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    // Listed in name order: the hidden sidecar is listed, thumbnailed, and shown as the raw file.
    EXPECT_EQ(run.out, QStringLiteral("WM_THUMB_CURRENTITEM\t0\n"
                                      "WM_THUMB_ADDIMAGE\t0\t120x120\n"
                                      "WM_THUMB_CURRENTITEM\t1\n"
                                      "WM_THUMB_SHAREIMAGE\t1\t0\n"
                                      "WM_THUMB_ICONSDONE\n"
                                      "WM_THUMB_CURRENTITEM\t0\n"
                                      "WM_THUMB_ADDIMAGE\t0\t120x120\n"
                                      "WM_THUMB_CURRENTITEM\t1\n"
                                      "WM_THUMB_REPLACEIMAGE\t1\t120x120\n"
                                      "item\t0\tIMG_1.CR2\n"
                                      "item\t1\tphoto.jpg\n"));
    // A damaged raw file is reported; the listing goes on.
    lumo::test::writeFile(Host("f/bad.CR2"), "not raw");
    run = Tool({"--folder", "f"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("bad.CR2")));
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("item\t0\tIMG_1.CR2\nitem\t1\tphoto.jpg\n")));
}

TEST_F(ThumbsTool, RawPreviewAlone) {
    WriteRaw("t5i.CR2", 0, 0, Qt::blue, 160, 120, Qt::red);
    ToolRun run = Tool({"--raw-preview", "t5i.CR2", "preview.jpg"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    const lumo::test::Bytes thumbnail = Encoded(Solid(160, 120, Qt::red));
    EXPECT_EQ(lumo::test::readFile(Host("preview.jpg")),
              std::string(thumbnail.begin(), thumbnail.end()));
    lumo::test::writeFile(Host("bad.CR2"), "not raw");
    run = Tool({"--raw-preview", "bad.CR2", "none.jpg"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("bad.CR2")));
    EXPECT_FALSE(fs::exists(Host("none.jpg")));
}

} // namespace
