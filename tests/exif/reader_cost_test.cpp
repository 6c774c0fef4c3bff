// The cost of one file is bounded by its size: a block that names the same attributes tens of
// thousands of times, each time with a long text, reads its bytes a few times at most and keeps
// the values the last entries give.
#include <gtest/gtest.h>

#include "exif/exif.h"
#include "tests/support/exif_worst_case.h"

using namespace lumo::test;

namespace {

// Counts the bytes the reader draws from its data.
class CountingSource final : public ByteSource {
public:
    explicit CountingSource(const std::vector<uint8_t>& bytes) : memory_(bytes) {}
    uint64_t size() const override { return memory_.size(); }
    size_t readAt(uint64_t pos, uint8_t* dst, size_t n) override {
        const size_t got = memory_.readAt(pos, dst, n);
        drawn += got;
        return got;
    }
    uint64_t drawn = 0;

private:
    MemorySource memory_;
};

} // namespace

TEST(ExifCost, RepeatedLongTextsAreReadOnceEach) {
    // 4,096 entries in each directory, all pointing into one text of 65,534 bytes; entry i points
    // i % 1,000 bytes into it, so each value is the rest of the text from there (its NUL ends it).
    const ExifWorstCaseLayout layout{4096, 65534, 1000};
    const std::vector<uint8_t> bytes = ExifWorstCase(layout);
    CountingSource source(bytes);
    TExif exif;
    exif.Read(source);

    EXPECT_TRUE(exif.Valid);
    // The file once, and at most one longest text (and a window on either side) for each of the
    // ten text attributes: never a text per entry.
    const uint64_t bound = bytes.size() + 10 * (65536 + 2 * 8192);
    EXPECT_LE(source.drawn, bound) << "bytes drawn for a file of " << bytes.size();
    const auto from = [&](uint32_t entry) {
        return std::string(layout.textLength - entry % layout.offsetSpread, 'x');
    };
    // The last entry of each tag wins: IFD0 cycles seven tags from entry 1, Exif three from 0.
    EXPECT_EQ(exif.ImageDesc, from(4095));
    EXPECT_EQ(exif.Copyright, from(4094));
    EXPECT_EQ(exif.Make, from(4089));
    EXPECT_EQ(exif.DateTimeOriginal, from(4095));
    EXPECT_EQ(exif.UserComments, from(4094));
    EXPECT_EQ(exif.DateTimeDigitized, from(4093));
}
