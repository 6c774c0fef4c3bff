// The worker's two passes run without a thread against a recording host: which messages go out
// in which order, how items share icon groups, and where a stop request or an error ends them.
#include "thumbs/core/thumbnail_passes.h"

#include <map>
#include <set>

#include <gtest/gtest.h>

#include "platform/core/shell_codes.h"

namespace {

// Numbers other than the window's own, to show that the passes post what the record says.
const ThumbnailNotify Notify{7, 201, 202, 203, 204, 205};
constexpr uint32_t IconsDone = 201, Share = 202, Add = 203, Replace = 204, Current = 205;

struct Event {
    std::string what; // a message number's name, or a host step
    intptr_t item = -1;
    intptr_t value = -1;
    friend bool operator==(const Event&, const Event&) = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e) {
    return out << e.what << "(" << e.item << ", " << e.value << ")";
}

class RecordingHost : public TThumbnailPassHost {
public:
    std::map<std::string, int> icons;                      // by item path; 1 when absent
    std::map<std::string, TExtractedThumbnail> thumbnails; // by caption; none when absent
    std::set<std::string> unparsable;                      // captions whose parse raises
    int stopAfterPauses = -1;                              // a stop request after so many pauses
    std::string stopWhileExtracting;                       // a stop request during this one
    std::vector<Event> events;
    int pauses = 0;
    bool bound = false;
    bool holding = false; // a thumbnail bitmap is held

    bool Terminated() const override { return terminated_; }
    void Pause() override {
        if (++pauses == stopAfterPauses)
            terminated_ = true;
    }
    void Post(uint32_t msg, uintptr_t wParam, intptr_t lParam) override {
        events.push_back({Name(msg), static_cast<intptr_t>(wParam), lParam});
    }
    int SystemIconIndex(const std::string& path) override {
        const auto it = icons.find(path);
        return it == icons.end() ? 1 : it->second;
    }
    void PostDefaultIcon(uint32_t msg, int item, int iconIndex) override {
        events.push_back({Name(msg), item, 1000 + iconIndex}); // a default image of that icon
    }
    void BindFolder(const std::string& folder) override {
        events.push_back({"bind " + folder});
        bound = true;
    }
    void ReleaseFolder() override {
        events.push_back({"release"});
        bound = false;
    }
    std::optional<TExtractedThumbnail> ExtractThumbnail(const std::string& caption,
                                                        uint32_t flags) override {
        EXPECT_TRUE(bound);
        EXPECT_EQ(flags, 0x20u);
        if (unparsable.count(caption))
            throw std::runtime_error("cannot parse " + caption);
        if (caption == stopWhileExtracting)
            terminated_ = true;
        const auto it = thumbnails.find(caption);
        if (it == thumbnails.end())
            return std::nullopt;
        holding = true;
        return it->second;
    }
    void FitThumbnail() override { events.push_back({"fit"}); }
    void DrawThumbnailBorder() override { events.push_back({"border"}); }
    void PostThumbnail(uint32_t msg, int item) override {
        EXPECT_TRUE(holding);
        holding = false;
        events.push_back({Name(msg), item, 2000}); // a thumbnail
    }
    void FreeThumbnail() override {
        holding = false;
        events.push_back({"free"});
    }

    // The posted messages only, without the host steps.
    std::vector<Event> Messages() const {
        std::vector<Event> messages;
        for (const Event& e : events)
            if (e.what == "ICONSDONE" || e.what == "SHARE" || e.what == "ADD" ||
                e.what == "REPLACE" || e.what == "CURRENT")
                messages.push_back(e);
        return messages;
    }

private:
    static std::string Name(uint32_t msg) {
        switch (msg) {
        case IconsDone:
            return "ICONSDONE";
        case Share:
            return "SHARE";
        case Add:
            return "ADD";
        case Replace:
            return "REPLACE";
        case Current:
            return "CURRENT";
        default:
            return "?";
        }
    }
    bool terminated_ = false;
};

TThumbnailJob Job(std::vector<std::string> captions) {
    TThumbnailJob job;
    job.Notify = Notify;
    job.Folder = WorkerFolder("C:\\Pics\\");
    job.Captions = std::move(captions);
    job.Flags = platform::IEIFLAG_SCREEN;
    return job;
}

constexpr TExtractedThumbnail Square{120, 120, platform::IEIFLAG_SCREEN};

TEST(ThumbnailPasses, ThreeItemsOfOneIconAllGettingThumbnails) {
    RecordingHost host;
    host.thumbnails = {{"a.jpg", Square}, {"b.jpg", Square}, {"c.jpg", Square}};
    TThumbnailGroups groups;
    RunThumbnailPasses(Job({"a.jpg", "b.jpg", "c.jpg"}), groups, host);
    const std::vector<Event> expected = {
        {"CURRENT", 0, 0},    {"ADD", 0, 1001},  {"CURRENT", 1, 0},   {"SHARE", 1, 0},
        {"CURRENT", 2, 0},    {"SHARE", 2, 0},   {"ICONSDONE", 0, 0}, {"CURRENT", 0, 0},
        {"ADD", 0, 2000},     {"CURRENT", 1, 0}, {"ADD", 1, 2000},    {"CURRENT", 2, 0},
        {"REPLACE", 2, 2000},
    };
    EXPECT_EQ(host.Messages(), expected);
    EXPECT_EQ(host.pauses, 6); // one after each item of each pass
    EXPECT_EQ(host.events.front(), (Event{"CURRENT", 0, 0}));
    EXPECT_EQ(host.events.back(), (Event{"release"}));
    ASSERT_EQ(groups.Count(), 1u);
    EXPECT_EQ(groups[0].SharedCount, 0);
    EXPECT_EQ(groups[0].ItemCount, 3);
}

TEST(ThumbnailPasses, OnlyTheThirdItemGetsAThumbnail) {
    RecordingHost host;
    host.thumbnails = {{"c.jpg", Square}};
    TThumbnailGroups groups;
    RunThumbnailPasses(Job({"a.jpg", "b.jpg", "c.jpg"}), groups, host);
    std::vector<Event> messages = host.Messages();
    messages.erase(messages.begin(), messages.begin() + 7); // the default-icon pass
    const std::vector<Event> expected = {
        {"CURRENT", 0, 0}, {"CURRENT", 1, 0}, {"CURRENT", 2, 0}, {"ADD", 2, 2000}};
    EXPECT_EQ(messages, expected);
    // Items 0 and 1 still show the shared image.
    EXPECT_EQ(groups[0].SharedCount, 2);
}

TEST(ThumbnailPasses, ItemsOfTwoIconsShareTheirGroupsImages) {
    RecordingHost host;
    host.icons = {{"C:\\Pics\\b.txt.jpgx", 9}};
    host.thumbnails = {{"a.jpg", Square}, {"b.txt.jpgx", Square}, {"c.jpg", Square}};
    TThumbnailGroups groups;
    RunThumbnailPasses(Job({"a.jpg", "b.txt.jpgx", "c.jpg"}), groups, host);
    const std::vector<Event> expected = {
        {"CURRENT", 0, 0},    {"ADD", 0, 1001},  {"CURRENT", 1, 0},    {"ADD", 1, 1009},
        {"CURRENT", 2, 0},    {"SHARE", 2, 0},   {"ICONSDONE", 0, 0},  {"CURRENT", 0, 0},
        {"ADD", 0, 2000},     {"CURRENT", 1, 0}, {"REPLACE", 1, 2000}, {"CURRENT", 2, 0},
        {"REPLACE", 2, 2000},
    };
    EXPECT_EQ(host.Messages(), expected);
    ASSERT_EQ(groups.Count(), 2u);
    EXPECT_EQ(groups[1].IconIndex, 9);
    EXPECT_EQ(groups[1].SharedImage, 1);
}

TEST(ThumbnailPasses, FitsOtherSizesAndBordersUnlessTheExtractorSaysNot) {
    RecordingHost host;
    host.thumbnails = {{"wide.jpg", {160, 90, platform::IEIFLAG_SCREEN}},
                       {"exact.jpg", Square},
                       {"bare.jpg", {120, 80, platform::IEIFLAG_NOBORDER}}};
    TThumbnailGroups groups;
    RunThumbnailPasses(Job({"wide.jpg", "exact.jpg", "bare.jpg"}), groups, host);
    std::vector<std::string> steps;
    for (const Event& e : host.events)
        if (e.what == "fit" || e.what == "border" || e.what == "ADD" || e.what == "REPLACE")
            steps.push_back(e.what == "fit" || e.what == "border" ? e.what
                            : e.value == 2000                     ? e.what + std::to_string(e.item)
                                                                  : e.what + "*");
    const std::vector<std::string> expected = {"ADD*",   "fit",  "border", "ADD0",
                                               "border", "ADD1", "fit",    "REPLACE2"};
    EXPECT_EQ(steps, expected);
}

TEST(ThumbnailPasses, StopDuringTheDefaultIconPass) {
    RecordingHost host;
    host.thumbnails = {{"a.jpg", Square}, {"b.jpg", Square}};
    host.stopAfterPauses = 1;
    TThumbnailGroups groups;
    RunThumbnailPasses(Job({"a.jpg", "b.jpg"}), groups, host);
    const std::vector<Event> expected = {{"CURRENT", 0, 0}, {"ADD", 0, 1001}, {"ICONSDONE", 0, 0}};
    EXPECT_EQ(host.events, expected); // the folder is never bound
}

TEST(ThumbnailPasses, StopDuringAnExtractionFreesTheThumbnail) {
    RecordingHost host;
    host.thumbnails = {{"a.jpg", Square}, {"b.jpg", Square}, {"c.jpg", Square}};
    host.stopWhileExtracting = "b.jpg";
    TThumbnailGroups groups;
    RunThumbnailPasses(Job({"a.jpg", "b.jpg", "c.jpg"}), groups, host);
    // Item 1's thumbnail arrives after the stop and is freed, not posted; item 2 is never started.
    const std::vector<Event> expected = {
        {"border"}, {"ADD", 0, 2000}, {"CURRENT", 1, 0}, {"free"}, {"release"}};
    EXPECT_EQ(std::vector<Event>(host.events.end() - 5, host.events.end()), expected);
    EXPECT_FALSE(host.holding);
    EXPECT_EQ(groups[0].SharedCount, 2);
}

TEST(ThumbnailPasses, AnUnparsableNameEndsThePassesWithItsError) {
    RecordingHost host;
    host.thumbnails = {{"a.jpg", Square}, {"c.jpg", Square}};
    host.unparsable = {"b.jpg"};
    TThumbnailGroups groups;
    EXPECT_THROW(RunThumbnailPasses(Job({"a.jpg", "b.jpg", "c.jpg"}), groups, host),
                 std::runtime_error);
    // Item 0 kept its thumbnail, item 2 was never asked for; the folder was released.
    EXPECT_EQ(host.Messages().back(), (Event{"CURRENT", 1, 0}));
    EXPECT_EQ(host.Messages()[host.Messages().size() - 2], (Event{"ADD", 0, 2000}));
    EXPECT_EQ(host.events.back(), (Event{"release"}));
}

TEST(ThumbnailPasses, AnEmptyListOnlySaysTheIconsAreDone) {
    RecordingHost host;
    TThumbnailGroups groups;
    RunThumbnailPasses(Job({}), groups, host);
    EXPECT_EQ(host.events, (std::vector<Event>{{"ICONSDONE", 0, 0}}));
    EXPECT_EQ(host.pauses, 0);
}

TEST(ThumbnailPasses, IconGroupsHoldEveryItemOnce) {
    // 40 items over 5 icons in an irregular order, some of them getting thumbnails.
    RecordingHost host;
    std::vector<std::string> captions;
    for (int i = 0; i < 40; ++i) {
        captions.push_back("p" + std::to_string(i) + ".jpg");
        host.icons["C:\\Pics\\" + captions.back()] = (i * 7 + i / 3) % 5;
        if (i % 3 != 1)
            host.thumbnails[captions.back()] = Square;
    }
    TThumbnailGroups groups;
    const TThumbnailJob job = Job(captions);
    ExtractDefaultIcons(job, groups, host);
    std::vector<int> seen(40, 0);
    for (size_t g = 0; g < groups.Count(); ++g) {
        const TThumbnailData& group = groups[g];
        EXPECT_EQ(group.SharedImage, static_cast<int>(g));
        EXPECT_EQ(group.ItemCount, static_cast<int>(group.Items.size()));
        EXPECT_EQ(group.SharedCount, group.ItemCount);
        EXPECT_TRUE(std::is_sorted(group.Items.begin(), group.Items.end()));
        for (int item : group.Items)
            ++seen[static_cast<size_t>(item)];
    }
    EXPECT_EQ(seen, std::vector<int>(40, 1));
    EXPECT_EQ(groups.Count(), 5u);

    ExtractThumbnails(job, groups, host);
    int replaced = 0;
    for (const Event& e : host.Messages())
        replaced += e.what == "REPLACE";
    for (size_t g = 0; g < groups.Count(); ++g) {
        const TThumbnailData& group = groups[g];
        int withThumbnail = 0;
        for (int item : group.Items)
            withThumbnail += host.thumbnails.count(captions[static_cast<size_t>(item)]) ? 1 : 0;
        EXPECT_EQ(group.SharedCount, group.ItemCount - withThumbnail);
        EXPECT_GE(group.SharedCount, 0);
    }
    // Only a group whose every item got a thumbnail gives up its shared image.
    int groupsAllDone = 0;
    for (size_t g = 0; g < groups.Count(); ++g)
        groupsAllDone += groups[g].SharedCount == 0;
    EXPECT_EQ(replaced, groupsAllDone);
}

TEST(ThumbnailPasses, AnItemOutsideEveryGroupIsAnError) {
    TThumbnailGroups groups;
    groups.AddGroup(3, 0);
    try {
        groups.GetThumbnailDataByItemIndex(1);
        FAIL() << "no error";
    } catch (const EThumbnailExtractorThreadError& error) {
        EXPECT_STREQ(error.what(), "GetThumbnailDataByItemIndex(): item not found");
        EXPECT_EQ(ErrorClassName(error), "EThumbnailExtractorThreadError");
    }
    EXPECT_EQ(ErrorClassName(std::runtime_error("x")), "runtime_error");
}

TEST(ThumbnailPasses, WorkerFolderAndItemPaths) {
    EXPECT_EQ(WorkerFolder("C:\\"), "C:");
    EXPECT_EQ(WorkerFolder("C:\\Pics\\"), "C:\\Pics");
    EXPECT_EQ(WorkerFolder("C:\\Pics"), "C:\\Pics");
    TThumbnailJob job = Job({"a.jpg"});
    EXPECT_EQ(ItemPath(job, 0), "C:\\Pics\\a.jpg");
}

} // namespace
