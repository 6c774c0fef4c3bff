// The desktop's thumbnail cache: URIs and file names as the desktop's other programs spell them,
// other programs' PNG files read within bounds, the tags a cached thumbnail needs to be used, and
// what the cache writes (private files and folders, no temporaries), where it stays away, and
// that a broken cache only finds nothing. Failure records: with the extractor that writes them.
#include "platform/headless/thumbnail_cache.h"

#include <filesystem>
#include <map>

#include <sys/stat.h>
#include <zlib.h>

#include <QByteArray>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/headless/png_reader.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace platform;
namespace fs = std::filesystem;

// ---- PNG files laid out by hand, as other programs may write them --------------------------

std::string BigEndian(uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

std::string Chunk(std::string_view type, std::string_view data) {
    const std::string body = std::string(type) + std::string(data);
    return BigEndian(uint32_t(data.size())) + body +
           BigEndian(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
}

std::string Zlib(std::string_view bytes) {
    // qCompress puts the length in front of the zlib stream.
    return qCompress(QByteArray(bytes.data(), qsizetype(bytes.size()))).mid(4).toStdString();
}

// An 8-bit grey PNG (with alpha: colour type 4) of width x height whose rows (each with its
// filter byte) are given, with further chunks before and after the picture data.
std::string Png(uint32_t width, uint32_t height, std::string_view rows,
                const std::string& before = {}, const std::string& after = {},
                char colourType = 0) {
    const std::string header =
        BigEndian(width) + BigEndian(height) + '\x08' + colourType + std::string(3, 0);
    return "\x89PNG\r\n\x1a\n" + Chunk("IHDR", header) + before + Chunk("IDAT", Zlib(rows)) +
           after + Chunk("IEND", "");
}

std::string Text(std::string_view key, std::string_view text) {
    return Chunk("tEXt", std::string(key) + '\0' + std::string(text));
}

std::optional<PngPicture> Decoded(const std::string& bytes, int maxSide = MaxCachedSide) {
    return decodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), maxSide);
}

TEST(ThumbnailCacheNames, UrisAsTheDesktopSpellsThemNamedByTheirMd5) {
    const struct {
        const char* path;
        const char* uri;
    } cases[] = {
        {"/tmp/My Photos/\xC3\xA9t\xC3\xA9 #1.jpg",
         "file:///tmp/My%20Photos/%C3%A9t%C3%A9%20%231.jpg"},
        {"/a/&=:@+$,!~*'()-_.b", "file:///a/&=:@+$,!~*'()-_.b"},
        {"/a/%;?[]\\^`{|}\"<>", "file:///a/%25%3B%3F%5B%5D%5C%5E%60%7B%7C%7D%22%3C%3E"},
        {"/caf\xE9\t.jpg", "file:///caf%E9%09.jpg"}, // bytes that are no UTF-8, as they are
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileUri(c.path), c.uri) << c.path;
    EXPECT_EQ(thumbnailFileName("file:///home/jens/photos/me.png"),
              "c6ee772d9e49320e97ec29a7eb5b1697.png");
}

TEST(PngReader, ReadsWithinBoundsAndRefusesWhatIsDamagedOrTooLarge) {
    // Translucent pixels are laid over white: black transparent and half transparent.
    const auto alpha = Decoded(Png(2, 1, std::string("\0\x00\x00\x00\x80", 5), {}, {}, 4));
    ASSERT_TRUE(alpha);
    EXPECT_EQ(alpha->bitmap.pixel(0, 0), rgbOf(255, 255, 255));
    EXPECT_EQ(alpha->bitmap.pixel(1, 0), rgbOf(127, 127, 127));

    const std::string good = Png(4, 1, std::string(5, '\0'));
    std::string badCrc = good;
    badCrc[good.size() - 13] ^= 1; // the last byte of the picture data's checksum
    std::string manyTexts;
    for (int i = 0; i < 100; ++i)
        manyTexts += Text("Comment", "x");
    const std::string pixel(2, '\0');
    const struct {
        const char* what;
        std::string bytes;
        int maxSide;
    } cases[] = {
        {"no PNG", "GIF89a", MaxCachedSide},
        {"cut short", good.substr(0, good.size() - 20), MaxCachedSide},
        {"checksum", badCrc, MaxCachedSide},
        {"rows missing", Png(4, 3, std::string(5, '\0')), MaxCachedSide},
        {"too wide", Png(1025, 1, std::string(1026, '\0')), MaxCachedSide},
        {"wider than asked", good, 3},
        {"no pixels", Png(0, 1, ""), MaxCachedSide},
        {"too many texts", Png(1, 1, pixel, manyTexts), MaxCachedSide},
        {"a long text", Png(1, 1, pixel, Text("Comment", std::string(300000, 'x'))), MaxCachedSide},
        {"a text unpacking to a long one",
         Png(1, 1, pixel,
             Chunk("zTXt", std::string("Comment\0\0", 9) + Zlib(std::string(300000, 'x')))),
         MaxCachedSide},
    };
    ASSERT_TRUE(Decoded(good));
    for (const auto& c : cases)
        EXPECT_FALSE(Decoded(c.bytes, c.maxSide)) << c.what;
}

TEST(CachedThumbnail, UsedOnlyWithThePicturesUriTimeAndSize) {
    const ThumbnailSubject subject{"file:///p/a.jpg", 1700000000, 5000, "image/jpeg"};
    const std::string uri = Text("Thumb::URI", subject.uri),
                      mtime = Text("Thumb::MTime", "1700000000");
    const struct {
        const char* what;
        std::string before, after;
        bool used;
    } cases[] = {
        {"all", uri + mtime + Text("Thumb::Size", "5000") + Text("Thumb::Mime", "image/png"), "",
         true},
        // Texts may also follow the picture, compressed or not.
        {"after, compressed", uri,
         Chunk("zTXt", std::string("Thumb::MTime\0\0", 14) + Zlib("1700000000")), true},
        {"without a size", mtime + uri, "", true},
        {"another picture", Text("Thumb::URI", "file:///p/b.jpg") + mtime, "", false},
        {"without a URI", mtime, "", false},
        {"stale", uri + Text("Thumb::MTime", "1700000001"), "", false},
        {"a time that is no whole number", uri + Text("Thumb::MTime", "1700000000.5"), "", false},
        {"without a time", uri, "", false},
        {"another size", uri + mtime + Text("Thumb::Size", "5001"), "", false},
    };
    for (const auto& c : cases) {
        const auto thumbnail =
            readCachedThumbnail(Png(1, 1, std::string("\0\x80", 2), c.before, c.after), subject);
        EXPECT_EQ(thumbnail.has_value(), c.used) << c.what;
        if (thumbnail) {
            EXPECT_EQ(thumbnail->pixel(0, 0), rgbOf(128, 128, 128)) << c.what;
        }
    }
}

// ---- The cache on disk --------------------------------------------------------------------

class ThumbnailCacheFiles : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_ / "home");
        fs::create_directories(dir_ / "share");
        setDriveMap({{'C', dir_.path(), DRIVE_FIXED, "", true},
                     {'N', dir_ / "share", DRIVE_REMOTE, "", true}});
        lumo::test::writeFile(dir_ / "a.jpg", "picture");
    }
    void TearDown() override { setDriveMap({}); }

    static unsigned Mode(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }
    ThumbnailSubject Subject(const ThumbnailCache& cache) const {
        return cache.subjectOf("C:\\a.jpg", "image/jpeg").value();
    }
    static std::vector<std::string> Entries(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename());
        return names;
    }
    // Moves the picture's modification time on by seconds.
    void Touch(int seconds) const {
        fs::last_write_time(dir_ / "a.jpg",
                            fs::last_write_time(dir_ / "a.jpg") + std::chrono::seconds(seconds));
    }

    lumo::test::TempDir dir_;
    // The cache folder's parent does not exist yet: it is made too.
    const std::string folder_ = dir_ / "home/.cache/thumbnails";
};

TEST_F(ThumbnailCacheFiles, StoredPrivatelyUnderTheUrisNameWithTheStandardsTags) {
    const ThumbnailCache cache(folder_ + "/");
    const ThumbnailSubject subject = Subject(cache);
    EXPECT_EQ(subject.uri, fileUri(dir_ / "a.jpg"));
    ASSERT_TRUE(cache.store(subject, ThumbnailSize::Normal, Bitmap(128, 96, rgbOf(0, 0, 255))));
    const std::string name = thumbnailFileName(subject.uri);
    EXPECT_EQ(Entries(folder_ + "/normal"), std::vector<std::string>{name}); // no temporary left
    EXPECT_EQ(Mode(folder_ + "/normal/" + name), 0600u);
    for (const std::string& folder : {dir_ / "home/.cache", folder_, folder_ + "/normal"})
        EXPECT_EQ(Mode(folder), 0700u) << folder;
    const auto png = Decoded(lumo::test::readFile(folder_ + "/normal/" + name));
    ASSERT_TRUE(png);
    std::map<std::string, std::string> tags;
    for (const PngText& text : png->texts)
        tags[text.key] = text.text;
    EXPECT_EQ(tags,
              (std::map<std::string, std::string>{{"Thumb::URI", subject.uri},
                                                  {"Thumb::MTime", std::to_string(subject.mtime)},
                                                  {"Thumb::Size", "7"},
                                                  {"Thumb::Mime", "image/jpeg"}}));
    EXPECT_EQ(cache.thumbnail(subject, ThumbnailSize::Normal)->pixel(127, 95), rgbOf(0, 0, 255));
    EXPECT_FALSE(cache.thumbnail(subject, ThumbnailSize::Large));
    Touch(5);
    EXPECT_FALSE(cache.thumbnail(Subject(cache), ThumbnailSize::Normal)); // stale now
}

TEST_F(ThumbnailCacheFiles, NoneForNetworkLocationsTheCacheItselfOrWithoutACache) {
    lumo::test::writeFile(dir_ / "share/b.jpg", "picture");
    fs::create_directories(folder_);
    lumo::test::writeFile(folder_ + "/c.jpg", "picture");
    const ThumbnailCache cache(folder_);
    for (const char* path : {"N:\\b.jpg", "C:\\home\\.cache\\thumbnails\\c.jpg", "C:\\gone.jpg"})
        EXPECT_FALSE(cache.subjectOf(path, "image/jpeg")) << path;
    EXPECT_FALSE(ThumbnailCache().subjectOf("C:\\a.jpg", "image/jpeg"));
}

TEST_F(ThumbnailCacheFiles, ABrokenCacheOnlyFindsNothing) {
    // The cache's folder is a file: nothing can be written, nothing is found.
    lumo::test::writeFile(dir_ / "taken", "a file");
    const ThumbnailCache taken(dir_ / "taken");
    const ThumbnailSubject subject = Subject(taken);
    EXPECT_FALSE(taken.store(subject, ThumbnailSize::Normal, Bitmap(8, 6)));
    EXPECT_FALSE(taken.recordFailure(subject));
    EXPECT_FALSE(taken.thumbnail(subject, ThumbnailSize::Normal));
    // A file too large for any thumbnail is not read, even when it starts as a good one; a pipe
    // in a thumbnail's place is not waited on.
    const ThumbnailCache cache(folder_);
    ASSERT_TRUE(cache.store(subject, ThumbnailSize::Large, Bitmap(8, 6)));
    const std::string name = thumbnailFileName(subject.uri);
    fs::resize_file(folder_ + "/large/" + name, MaxCachedFileBytes + 1);
    EXPECT_FALSE(cache.thumbnail(subject, ThumbnailSize::Large));
    fs::create_directories(folder_ + "/normal");
    ASSERT_EQ(::mkfifo((folder_ + "/normal/" + name).c_str(), 0600), 0);
    EXPECT_FALSE(cache.thumbnail(subject, ThumbnailSize::Normal));
}

} // namespace
