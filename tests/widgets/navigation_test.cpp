// The Back history and the parent-folder rule of "Up one level".
#include "widgets/navigation.h"

#include <gtest/gtest.h>

TEST(BackHistory, FollowsTheWorkedExampleStepByStep) {
    TBackHistory history;
    EXPECT_FALSE(history.CanGoBack());
    EXPECT_TRUE(history.BackFwdList.isEmpty());

    // At C:\, press on folder A: C:\ is recorded.
    EXPECT_TRUE(history.Record(QStringLiteral("C:\\")));
    // At A, press on folder B: A is recorded.
    EXPECT_TRUE(history.Record(QStringLiteral("C:\\A")));
    EXPECT_EQ(history.BackFwdList, QStringList({"C:\\", "C:\\A"}));
    EXPECT_EQ(history.BackFwdIndex, 2);
    EXPECT_TRUE(history.CanGoBack());

    // Back opens A, then C:\, and the second Back empties the history.
    EXPECT_EQ(history.BackTarget(), QStringLiteral("C:\\A"));
    history.StepBack();
    EXPECT_EQ(history.BackFwdIndex, 1);
    EXPECT_TRUE(history.CanGoBack());
    EXPECT_EQ(history.BackTarget(), QStringLiteral("C:\\"));
    history.StepBack();
    EXPECT_EQ(history.BackFwdIndex, 0);
    EXPECT_TRUE(history.BackFwdList.isEmpty());
    EXPECT_FALSE(history.CanGoBack());
    EXPECT_TRUE(history.BackTarget().isEmpty());
}

TEST(BackHistory, IgnoresConsecutiveDuplicatesWithoutRegardToCase) {
    TBackHistory history;
    EXPECT_TRUE(history.Record(QStringLiteral("C:\\Photos")));
    EXPECT_FALSE(history.Record(QStringLiteral("c:\\PHOTOS")));
    EXPECT_EQ(history.BackFwdList.size(), 1);
    EXPECT_TRUE(history.Record(QStringLiteral("C:\\Other")));
    EXPECT_TRUE(history.Record(QStringLiteral("C:\\Photos")));
    EXPECT_EQ(history.BackFwdList.size(), 3);
}

TEST(BackHistory, ARecordAfterBackReturnsTheIndexToTheEndAndRevisitsOldEntries) {
    TBackHistory history;
    history.Record(QStringLiteral("C:\\"));
    history.Record(QStringLiteral("C:\\A"));
    history.Record(QStringLiteral("C:\\B"));
    history.StepBack(); // Back to C:\B
    EXPECT_EQ(history.BackFwdIndex, 2);

    // A press that repeats the newest entry records nothing but still moves the index to the end.
    EXPECT_FALSE(history.Record(QStringLiteral("C:\\b")));
    EXPECT_EQ(history.BackFwdIndex, 3);
    EXPECT_EQ(history.BackTarget(), QStringLiteral("C:\\B"));

    history.StepBack();
    EXPECT_TRUE(history.Record(QStringLiteral("C:\\C")));
    EXPECT_EQ(history.BackFwdList, QStringList({"C:\\", "C:\\A", "C:\\B", "C:\\C"}));
    EXPECT_EQ(history.BackFwdIndex, 4);
}

TEST(DirectoryLevels, ListsTheRootThenEachLevelWithoutTrailingBackslash) {
    EXPECT_EQ(DirectoryLevels(QStringLiteral("C:\\Photos\\2008\\")),
              QStringList({"C:\\", "C:\\Photos", "C:\\Photos\\2008"}));
    EXPECT_EQ(DirectoryLevels(QStringLiteral("C:\\")), QStringList({"C:\\"}));
    EXPECT_EQ(DirectoryLevels(QStringLiteral("D:")), QStringList({"D:\\"}));
    EXPECT_TRUE(DirectoryLevels(QStringLiteral("My Computer\\")).isEmpty());
    EXPECT_TRUE(DirectoryLevels(QString()).isEmpty());
}

TEST(ParentFolder, GoesUpOneLevelAndStopsAtTheDriveRoot) {
    EXPECT_EQ(ParentFolder(QStringLiteral("C:\\Photos\\2008\\")), QStringLiteral("C:\\Photos"));
    EXPECT_EQ(ParentFolder(QStringLiteral("C:\\Photos\\")), QStringLiteral("C:\\"));
    EXPECT_EQ(ParentFolder(QStringLiteral("C:\\Photos")), QStringLiteral("C:\\"));
    EXPECT_TRUE(ParentFolder(QStringLiteral("C:\\")).isEmpty());
    EXPECT_TRUE(ParentFolder(QStringLiteral("My Computer\\")).isEmpty());
}
