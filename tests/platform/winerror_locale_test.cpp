// Error codes, their texts, the per-thread last error, and the language identifier from the locale.
#include "platform/core/winerror.h"

#include <cerrno>
#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>

#include "platform/core/locale.h"

using namespace platform;

namespace {

TEST(WinError, ErrnoMapsToWindowsCodes) {
    EXPECT_EQ(errorFromErrno(0), ERROR_SUCCESS);
    EXPECT_EQ(errorFromErrno(ENOENT), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(errorFromErrno(ENOTDIR), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(errorFromErrno(EACCES), ERROR_ACCESS_DENIED);
    EXPECT_EQ(errorFromErrno(EROFS), ERROR_ACCESS_DENIED);
    EXPECT_EQ(errorFromErrno(EEXIST), ERROR_FILE_EXISTS);
    EXPECT_EQ(errorFromErrno(ENOSPC), ERROR_DISK_FULL);
    EXPECT_EQ(errorFromErrno(ENOTEMPTY), ERROR_DIR_NOT_EMPTY);
    EXPECT_EQ(errorFromErrno(EXDEV), ERROR_NOT_SAME_DEVICE);
    EXPECT_EQ(errorFromErrno(ENAMETOOLONG), ERROR_INVALID_NAME);
}

TEST(WinError, SystemMessagesAreTheSystemTexts) {
    EXPECT_EQ(systemMessage(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.");
    EXPECT_EQ(systemMessage(ERROR_PATH_NOT_FOUND), "The system cannot find the path specified.");
    EXPECT_EQ(systemMessage(ERROR_ACCESS_DENIED), "Access is denied.");
    EXPECT_EQ(systemMessage(ERROR_BAD_NETPATH), "The network path was not found.");
    EXPECT_EQ(systemMessage(ERROR_ALREADY_ASSIGNED), "The local device name is already in use.");
    EXPECT_EQ(systemMessage(ERROR_BAD_DEVICE), "The device name is not valid.");
    EXPECT_EQ(systemMessage(ERROR_NOT_CONNECTED), "This network connection does not exist.");
    const std::string unknown = systemMessage(987654);
    EXPECT_NE(unknown.find("987654"), std::string::npos);
}

TEST(WinError, LastErrorBelongsToTheThread) {
    setLastError(ERROR_ACCESS_DENIED);
    uint32_t seen = 1;
    std::thread([&] {
        seen = lastError();
        setLastError(ERROR_DISK_FULL);
    }).join();
    EXPECT_EQ(seen, ERROR_SUCCESS);
    EXPECT_EQ(lastError(), ERROR_ACCESS_DENIED);
}

class LocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        setUserDefaultLangIdForTesting(0);
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            if (const char* v = std::getenv(name))
                saved_.emplace_back(name, v);
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
            ::unsetenv(name);
        for (const auto& [name, value] : saved_)
            ::setenv(name.c_str(), value.c_str(), 1);
        setUserDefaultLangIdForTesting(0);
    }
    static uint16_t idFor(const char* lang) {
        ::setenv("LANG", lang, 1);
        return userDefaultLangId();
    }
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(LocaleTest, LanguageIdentifiersFromLocaleNames) {
    EXPECT_EQ(idFor("de_DE.UTF-8"), 0x0407);
    EXPECT_EQ(idFor("de_AT.UTF-8"), 0x0C07);
    EXPECT_EQ(idFor("zh_CN.UTF-8"), 0x0804);
    EXPECT_EQ(idFor("zh_TW"), 0x0404);
    EXPECT_EQ(idFor("pt_BR.UTF-8"), 0x0416);
    EXPECT_EQ(idFor("sl_SI"), 0x0424);
    EXPECT_EQ(idFor("fr_FR@euro"), 0x040C);
    EXPECT_EQ(idFor("ja"), 0x0411);
    EXPECT_EQ(idFor("en_GB.UTF-8"), 0x0809);
    EXPECT_EQ(idFor("C"), 0x0409);
    EXPECT_EQ(idFor("POSIX"), 0x0409);
    EXPECT_EQ(idFor("xx_YY"), 0x0409);
    EXPECT_EQ(idFor(""), 0x0409);
}

TEST_F(LocaleTest, LcAllBeforeLcMessagesBeforeLang) {
    ::setenv("LANG", "de_DE.UTF-8", 1);
    ::setenv("LC_MESSAGES", "ko_KR.UTF-8", 1);
    EXPECT_EQ(userDefaultLangId(), 0x0412);
    ::setenv("LC_ALL", "tr_TR.UTF-8", 1);
    EXPECT_EQ(userDefaultLangId(), 0x041F);
    setUserDefaultLangIdForTesting(0x0415);
    EXPECT_EQ(userDefaultLangId(), 0x0415);
}

} // namespace
