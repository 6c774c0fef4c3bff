// Stable drive letters: the assignment rule as a plain function, the memory file, and hot-plug
// sequences through the drive map with a mount table and volume facts put in by the test (cards
// inserted, pulled and inserted again, two cards, a network letter, letters kept for network
// drives, a card swapped at the same mount point).
#include "platform/core/volume_letters.h"

#include <cstdlib>
#include <map>
#include <optional>

#include <gtest/gtest.h>

#include "platform/core/drives.h"
#include "platform/core/host_path.h"
#include "platform/core/mount_table.h"
#include "tests/support/temp_dir.h"

using namespace platform;
using namespace platform::detail;
using namespace lumo::test;

namespace {

uint32_t bits(std::string_view letters) {
    uint32_t mask = 0;
    for (char letter : letters)
        mask |= 1u << (letter - 'A');
    return mask;
}

TEST(AssignLetters, HeldRememberedThenFirstFree) {
    struct Case {
        const char* what;
        std::vector<LetterRequest> volumes;
        std::vector<HeldLetter> held;
        std::map<std::string, char> remembered;
        uint32_t taken;
        std::string expected; // one letter per volume, '0' for none
    };
    const std::vector<Case> cases = {
        {"first start: mount order from D:", {{"a", ""}, {"b", ""}}, {}, {}, 0, "DE"},
        {"a held letter stays when a volume sorting before it appears",
         {{"new", ""}, {"old", ""}},
         {{'D', "old"}},
         {},
         0,
         "ED"},
        {"a pulled volume frees only its own letter",
         {{"e", ""}, {"new", ""}},
         {{'D', "gone"}, {'E', "e"}},
         {},
         0,
         "ED"},
        {"a returning volume gets its letter back when free",
         {{"x", "uuid X"}},
         {},
         {{"uuid X", 'H'}},
         0,
         "H"},
        {"a returning volume whose letter is taken gets the first free one",
         {{"other", ""}, {"x", "uuid X"}},
         {{'H', "other"}},
         {{"uuid X", 'H'}},
         0,
         "HD"},
        {"a returning volume goes before a stranger appearing with it",
         {{"stranger", ""}, {"x", "uuid X"}},
         {},
         {{"uuid X", 'D'}},
         0,
         "ED"},
        {"taken letters (network drives) are never handed out",
         {{"a", ""}, {"b", "uuid B"}},
         {},
         {{"uuid B", 'F'}},
         bits("DF"),
         "EG"},
        {"a held letter stays even when it is kept for a network drive later",
         {{"a", ""}},
         {{'G', "a"}},
         {},
         bits("G"),
         "G"},
        {"no letter left", {{"a", ""}}, {}, {}, bits("DEFGHIJKLMNOPQRSTUVWXYZ"), "0"},
    };
    for (const Case& c : cases) {
        const std::vector<char> letters = assignLetters(c.volumes, c.held, c.remembered, c.taken);
        std::string got;
        for (char letter : letters)
            got += letter == 0 ? '0' : letter;
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST(VolumeKey, UuidThenShareThenLabelAndSize) {
    EXPECT_EQ(volumeKey("/dev/sdb1", "vfat", {"1234-ABCD", "CARD", 32, true}), "uuid 1234-ABCD");
    EXPECT_EQ(volumeKey("//nas/pics", "cifs", {}), "share //nas/pics");
    EXPECT_EQ(volumeKey("/dev/sdb1", "vfat", {"", "CARD", 1000, true}), "label CARD 1000");
    EXPECT_EQ(volumeKey("/dev/sdb1", "vfat", {"", "CARD", 0, true}), "");
    EXPECT_EQ(volumeKey("/dev/sdb1", "vfat", {"", "", 1000, true}), "");
    // A line break in a label would split the memory file.
    EXPECT_EQ(volumeKey("/dev/sdb1", "vfat", {"", "A\nE:\tx", 1000, true}), "");
}

TEST(LetterMemory, RecentLastBoundedAndReadBack) {
    LetterMemory memory;
    EXPECT_TRUE(memory.remember("uuid A", 'D'));
    EXPECT_TRUE(memory.remember("uuid B", 'E'));
    EXPECT_FALSE(memory.remember("uuid B", 'E')); // nothing new
    EXPECT_TRUE(memory.remember("uuid A", 'D'));  // used again: now the most recent
    EXPECT_FALSE(memory.remember("", 'F'));
    EXPECT_EQ(formatLetterMemory(memory), "E:\tuuid B\nD:\tuuid A\n");

    const LetterMemory read = parseLetterMemory("E:\tuuid B\nbroken line\nC:\tuuid C\n"
                                                "Q:\tuuid\x01Q\nD:\tuuid A\n");
    EXPECT_EQ(read.byKey(), (std::map<std::string, char>{{"uuid A", 'D'}, {"uuid B", 'E'}}));

    for (int i = 0; i < 100; ++i)
        memory.remember("uuid " + std::to_string(i), 'F');
    EXPECT_EQ(memory.entries.size(), LetterMemory::kCapacity);
    EXPECT_EQ(memory.entries.back().first, "uuid 99");
    EXPECT_FALSE(memory.byKey().count("uuid A")); // the oldest were forgotten
}

// The drive map over a mount table and volume facts that the test changes step by step.
class HotPlugTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* value = std::getenv("XDG_CONFIG_HOME"))
            saved_ = value;
        ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        setDriveMap({});
        setReservedLetters(0);
        setMountSource({[this] { return mounts_; },
                        [this](const MountEntry& mount) {
                            return facts_[mount.device];
                        }});
        apply();
    }
    void TearDown() override {
        mounts_.clear();
        apply();
        setMountSource({});
        setReservedLetters(0);
        setDriveMap({});
        if (saved_)
            ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }

    void insert(const std::string& device, const std::string& mountPoint, VolumeFacts facts) {
        facts_[device] = facts;
        mounts_.push_back({device, mountPoint, "vfat", nextMountId_++, 8, 1});
        apply();
    }
    void pull(const std::string& mountPoint) {
        std::erase_if(mounts_, [&](const MountEntry& m) { return m.mountPoint == mountPoint; });
        apply();
    }
    // The table changed: the layer reads it again, as the change notifications make it do.
    void apply() {
        invalidateHostDriveMap();
        drives();
    }

    // "D=/media/ann/CARD E=..." for the volumes of the map.
    static std::string letters() {
        std::string text;
        for (const DriveInfo& drive : drives()) {
            if (drive.letter == 'C')
                continue;
            text += std::string(text.empty() ? "" : " ") + drive.letter + "=" + drive.hostRoot;
        }
        return text;
    }

    TempDir config;
    std::optional<std::string> saved_;
    std::vector<MountEntry> mounts_{{"/dev/sda1", "/", "ext4", 1, 8, 0}};
    std::map<std::string, VolumeFacts> facts_;
    int nextMountId_ = 100;
};

TEST_F(HotPlugTest, CardsKeepTheirLettersAndComeBackToThem) {
    EXPECT_EQ(letters(), "");
    insert("/dev/sdb1", "/media/ann/ZOOM", {"AAAA-0001", "ZOOM", 1000, true});
    EXPECT_EQ(letters(), "D=/media/ann/ZOOM");
    EXPECT_EQ(driveType("D:\\"), DRIVE_REMOVABLE);
    EXPECT_EQ(driveInfo('D')->label, "ZOOM");

    // A second card whose mount point sorts first: the first card stays D: (the user may be
    // inside D:\DCIM\100CANON).
    insert("/dev/sdc1", "/media/ann/CANON", {"BBBB-0002", "CANON", 2000, true});
    EXPECT_EQ(letters(), "D=/media/ann/ZOOM E=/media/ann/CANON");

    // Pulling the first frees only D:; a new card takes it.
    pull("/media/ann/ZOOM");
    EXPECT_EQ(letters(), "E=/media/ann/CANON");
    insert("/dev/sdd1", "/media/ann/OTHER", {"CCCC-0003", "OTHER", 3000, true});
    EXPECT_EQ(letters(), "D=/media/ann/OTHER E=/media/ann/CANON");

    // The first card back: its D: is taken, so it gets the first free letter ...
    insert("/dev/sdb1", "/media/ann/ZOOM", {"AAAA-0001", "ZOOM", 1000, true});
    EXPECT_EQ(letters(), "D=/media/ann/OTHER E=/media/ann/CANON F=/media/ann/ZOOM");
    // ... which is the one it gets back from then on, even with D: free.
    pull("/media/ann/ZOOM");
    pull("/media/ann/OTHER");
    insert("/dev/sdb1", "/media/ann/ZOOM", {"AAAA-0001", "ZOOM", 1000, true});
    EXPECT_EQ(letters(), "E=/media/ann/CANON F=/media/ann/ZOOM");
    // The other card comes back to D:.
    insert("/dev/sdd1", "/media/ann/OTHER", {"CCCC-0003", "OTHER", 3000, true});
    EXPECT_EQ(letters(), "D=/media/ann/OTHER E=/media/ann/CANON F=/media/ann/ZOOM");
}

TEST_F(HotPlugTest, TheMemoryIsKeptInTheConfigurationFolder) {
    insert("/dev/sdb1", "/media/ann/A", {"AAAA-0001", "A", 1000, true});
    insert("/dev/sdc1", "/media/ann/B", {"", "B", 2000, true}); // no UUID: label and size
    pull("/media/ann/A");
    pull("/media/ann/B");
    EXPECT_EQ(readFile(config / "lumograph/volume-letters"),
              "D:\tuuid AAAA-0001\nE:\tlabel B 2000\n");
    // B comes first now but still gets its E:.
    insert("/dev/sdc1", "/media/ann/B", {"", "B", 2000, true});
    EXPECT_EQ(letters(), "E=/media/ann/B");
    pull("/media/ann/B");

    // Another user's memory, as a later start reads it.
    TempDir other;
    std::filesystem::create_directories(other / "lumograph");
    writeFile(other / "lumograph/volume-letters", "K:\tuuid AAAA-0001\n");
    ::setenv("XDG_CONFIG_HOME", other.path().c_str(), 1);
    insert("/dev/sdb1", "/media/ann/A", {"AAAA-0001", "A", 1000, true});
    EXPECT_EQ(letters(), "K=/media/ann/A");
}

TEST_F(HotPlugTest, NetworkLettersAreNeverGivenToVolumes) {
    TempDir share;
    // A connected network drive on E:, and F: kept for one that comes back at start.
    addDrive({'E', share.path(), DRIVE_REMOTE, "pics", true});
    setReservedLetters(bits("F"));
    insert("/dev/sdb1", "/media/ann/A", {"AAAA-0001", "A", 1000, true});
    insert("/dev/sdc1", "/media/ann/B", {"BBBB-0002", "B", 1000, true});
    insert("/dev/sdd1", "/media/ann/C", {"CCCC-0003", "C", 1000, true});
    EXPECT_EQ(letters(), "D=/media/ann/A E=" + share.path() + " G=/media/ann/B H=/media/ann/C");
    // A volume that remembers a letter now kept for a network drive does not get it.
    pull("/media/ann/A");
    setReservedLetters(bits("DF"));
    insert("/dev/sdb1", "/media/ann/A", {"AAAA-0001", "A", 1000, true});
    EXPECT_EQ(letters(), "E=" + share.path() + " G=/media/ann/B H=/media/ann/C I=/media/ann/A");
    removeDrive('E');
}

TEST_F(HotPlugTest, AnotherCardAtTheSameMountPointIsANewVolume) {
    insert("/dev/sdb1", "/media/ann/disk", {"AAAA-0001", "", 1000, true});
    insert("/dev/sdc1", "/media/ann/other", {"BBBB-0002", "", 1000, true});
    // The card at /media/ann/disk swapped for another between two looks at the table.
    mounts_.erase(mounts_.begin() + 1);
    facts_["/dev/sdb1"] = {"CCCC-0003", "", 1000, true};
    mounts_.push_back({"/dev/sdb1", "/media/ann/disk", "vfat", nextMountId_++, 8, 17});
    apply();
    // The new card has no memory and D: was freed by the old one: it takes D:, but the map
    // knows it for a new volume (its memory entry is its own).
    EXPECT_EQ(letters(), "D=/media/ann/disk E=/media/ann/other");
    pull("/media/ann/disk");
    insert("/dev/sdb1", "/media/ann/disk", {"AAAA-0001", "", 1000, true});
    EXPECT_EQ(letters(), "D=/media/ann/disk E=/media/ann/other");
    EXPECT_EQ(readFile(config / "lumograph/volume-letters"),
              "E:\tuuid BBBB-0002\nD:\tuuid CCCC-0003\nD:\tuuid AAAA-0001\n");
}

} // namespace
