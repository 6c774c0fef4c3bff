// The tree's node-path rules: drive captions, node paths and the names nodes add to them, match
// keys, path parts and the folder filter.
#include "dirtree/tree_paths.h"

#include <gtest/gtest.h>

#include "dirtree/tree_node.h"
#include "platform/core/files.h"
#include "platform/qt/path_text.h"

// Readable failure messages for QString comparisons.
static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

constexpr uint32_t Dir = platform::FILE_ATTRIBUTE_DIRECTORY;

TEST(TreePaths, DriveCaptionKeepsTheDisplayNameBeforeItsBracket) {
    EXPECT_EQ(DriveCaption(u'C', "Local Disk (C:)"), " (C:)  Local Disk ");
    EXPECT_EQ(DriveCaption(u'F', "share (\\\\srv) (F:)"), " (F:)  share ");
    EXPECT_EQ(DriveCaption(u'D', "NoBracket"), " (D:)  ");
    EXPECT_EQ(DriveCaption(u'E', ""), " (E:)  ");
}

TEST(TreePaths, NodePathJoinsCaptionsBelowTheDrive) {
    const QString root = "My Computer";
    const QString drive = DriveCaption(u'C', "Local Disk (C:)");
    EXPECT_EQ(NodePathOf({}), "");
    EXPECT_EQ(NodePathOf({root}), "");
    EXPECT_EQ(NodePathOf({root, drive}), "C:\\");
    EXPECT_EQ(NodePathOf({root, drive, "Windows"}), "C:\\Windows");
    EXPECT_EQ(NodePathOf({root, drive, "Windows", "System32"}), "C:\\Windows\\System32");
    // A drive whose display name had no bracket still gives its root.
    EXPECT_EQ(NodePathOf({root, DriveCaption(u'D', ""), "a b"}), "D:\\a b");
}

TEST(TreePaths, NodesKeepTheBytesOfTheirNames) {
    QTreeWidgetItem node;
    SetNodeName(&node, "caf\xE9");
    EXPECT_EQ(node.text(0), QStringLiteral("caf\u00e9")) << "shown readably";
    EXPECT_EQ(platform::pathBytes(NodePathName(&node)), "caf\xE9") << "named exactly";
    // A UTF-8 name is its own caption; a node renamed so keeps no stale bytes.
    SetNodeName(&node, "caf\xC3\xA9");
    EXPECT_EQ(NodePathName(&node), QStringLiteral("caf\u00e9"));
    EXPECT_FALSE(node.data(0, NameBytesRole).isValid());
}

TEST(TreePaths, MatchKeysAndPartsLineUp) {
    EXPECT_EQ(NodeMatchKey(1, " (C:)  Local Disk "), "C:\\");
    EXPECT_EQ(NodeMatchKey(2, "Windows"), "Windows\\");
    EXPECT_EQ(NodeMatchKey(5, "x"), "x\\");

    EXPECT_EQ(PathParts("C:\\Windows\\System32\\"),
              QStringList({"C:\\", "Windows\\", "System32\\"}));
    EXPECT_EQ(PathParts("C:\\"), QStringList({"C:\\"}));
    EXPECT_EQ(PathParts("C:\\a"), QStringList({"C:\\", "a"}));
    EXPECT_EQ(PathParts(""), QStringList());
    // A doubled backslash gives a part that no node can match.
    EXPECT_EQ(PathParts("C:\\\\a\\"), QStringList({"C:\\", "\\", "a\\"}));
}

TEST(TreePaths, FilterMaskFollowsTheFixedTable) {
    EXPECT_EQ(FolderFilterMask(FileTypeOf({ftReadOnly, ftDirectory, ftArchive, ftNormal})), 0xB1u);
    EXPECT_EQ(FolderFilterMask(FileTypeOf({ftReadOnly, ftHidden, ftSystem, ftArchive})), 0x97u);
    EXPECT_EQ(FolderFilterMask(0), 0x10u);
    EXPECT_EQ(FolderFilterMask(FileTypeOf({ftNormal})), 0x10u);
    EXPECT_EQ(FolderFilterMask(FileTypeOf({ftVolumeID})), 0x10u);
    EXPECT_EQ(FolderFilterMask(FileTypeOf({ftHidden})), 0x12u);
    EXPECT_EQ(FolderFilterMask(FileTypeOf({ftDirectory})), 0x30u);
}

TEST(TreePaths, FilterAdmitsOnlyFoldersWithinTheMask) {
    const uint32_t windows = 0xB1;
    EXPECT_TRUE(FolderPassesFilter(Dir, "Photos", windows));
    EXPECT_TRUE(FolderPassesFilter(Dir | platform::FILE_ATTRIBUTE_READONLY, "ro", windows));
    EXPECT_TRUE(FolderPassesFilter(Dir | platform::FILE_ATTRIBUTE_ARCHIVE, "arc", windows));
    EXPECT_FALSE(FolderPassesFilter(Dir | platform::FILE_ATTRIBUTE_HIDDEN, ".git", windows));
    EXPECT_FALSE(FolderPassesFilter(Dir | platform::FILE_ATTRIBUTE_SYSTEM, "sys", windows));
    EXPECT_FALSE(FolderPassesFilter(platform::FILE_ATTRIBUTE_ARCHIVE, "a.jpg", windows));
    EXPECT_FALSE(FolderPassesFilter(Dir, ".", windows));
    EXPECT_FALSE(FolderPassesFilter(Dir, "..", windows));
    EXPECT_TRUE(FolderPassesFilter(Dir, "...", windows));
    // The volume-id bit is outside the bits considered, so it never rejects a folder.
    EXPECT_TRUE(FolderPassesFilter(Dir | platform::FILE_ATTRIBUTE_VOLUMEID, "v", windows));
    // The constructor's own setting admits hidden folders but not archive ones.
    EXPECT_TRUE(FolderPassesFilter(Dir | platform::FILE_ATTRIBUTE_HIDDEN, ".h", 0x97));
    EXPECT_FALSE(FolderPassesFilter(Dir | platform::FILE_ATTRIBUTE_ARCHIVE, "arc", 0x97));
}

} // namespace
