// The tree component's languages: choice by system language, completeness of every table, the
// blanks the message joins rely on, and the switch of the process-wide texts.
#include "dirtree/languages.h"

#include <set>
#include <utility>

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

#include <gtest/gtest.h>

#include "platform/core/locale.h"
#include "tests/dirtree/qstring_printer.h"

using namespace Qt::StringLiterals;

namespace {

struct Role {
    const char* name;
    QString TLanguageTexts::*text;
};

const Role kRoles[] = {
    {"DriveWord", &TLanguageTexts::DriveWord},
    {"FolderWord", &TLanguageTexts::FolderWord},
    {"ErrorPrefix", &TLanguageTexts::ErrorPrefix},
    {"FileWord", &TLanguageTexts::FileWord},
    {"FromLabel", &TLanguageTexts::FromLabel},
    {"ToLabel", &TLanguageTexts::ToLabel},
    {"ErrorCant", &TLanguageTexts::ErrorCant},
    {"BrowseTitle", &TLanguageTexts::BrowseTitle},
    {"InvalidDrive", &TLanguageTexts::InvalidDrive},
    {"NoDisk", &TLanguageTexts::NoDisk},
    {"InvalidDirName", &TLanguageTexts::InvalidDirName},
    {"RenameQuestion", &TLanguageTexts::RenameQuestion},
    {"CantAddDrives", &TLanguageTexts::CantAddDrives},
    {"NewFolderName", &TLanguageTexts::NewFolderName},
    {"InvalidChars", &TLanguageTexts::InvalidChars},
    {"NotFound", &TLanguageTexts::NotFound},
    {"FileOpFailed", &TLanguageTexts::FileOpFailed},
    {"TreeSizeTitle", &TLanguageTexts::TreeSizeTitle},
    {"SubFoldersNote", &TLanguageTexts::SubFoldersNote},
};

std::vector<TLanguage> AllLanguages() {
    std::vector<TLanguage> languages;
    for (int l = lnEnglish; l <= lnTurkish; ++l)
        languages.push_back(TLanguage(l));
    return languages;
}

bool IsCjk(TLanguage language) {
    return language == lnChinese_Tra || language == lnChinese_Sim || language == lnJapanese ||
           language == lnKorean;
}

class LanguagesTest : public ::testing::Test {
protected:
    void TearDown() override {
        platform::setUserDefaultLangIdForTesting(0);
        CurrentLanguage = lnEnglish;
        LoadLanguageTexts();
    }
};

TEST_F(LanguagesTest, SystemDefaultFollowsTheUsersLanguage) {
    const std::pair<uint16_t, TLanguage> cases[] = {
        {0x0407, lnGerman},      {0x0807, lnGerman},
        {0x0804, lnChinese_Sim}, {0x0404, lnChinese_Tra},
        {0x0C04, lnChinese_Tra}, {0x0419, lnEnglish},
        {0x0409, lnEnglish},     {0x0809, lnEnglish},
        {0x0416, lnPortuguese},  {0x0816, lnPortuguese},
        {0x040C, lnFrench},      {0x0413, lnDutch},
        {0x0410, lnItalian},     {0x0411, lnJapanese},
        {0x0415, lnPolish},      {0x0424, lnSlovenian},
        {0x041B, lnSlovak},      {0x0C0A, lnSpanish},
        {0x041D, lnSwedish},     {0x0412, lnKorean},
        {0x041F, lnTurkish},     {0x0405, lnEnglish /* Czech has no table of its own */},
    };
    for (const auto& [langId, expected] : cases) {
        platform::setUserDefaultLangIdForTesting(langId);
        EXPECT_EQ(ResolveLanguage(lnSysDefault), expected) << std::hex << langId;
        EXPECT_EQ(LanguageForLangId(langId), expected) << std::hex << langId;
    }
    platform::setUserDefaultLangIdForTesting(0x0407);
    EXPECT_EQ(ResolveLanguage(lnFrench), lnFrench);
    EXPECT_EQ(ResolveLanguage(lnEnglish), lnEnglish);
}

TEST_F(LanguagesTest, EnglishTextsAreTheProgramsOwn) {
    const TLanguageTexts& en = TextsFor(lnEnglish);
    EXPECT_EQ(en.DriveWord, u"Drive ");
    EXPECT_EQ(en.FolderWord, u"Folder \"");
    EXPECT_EQ(en.ErrorPrefix, u"ERROR - ");
    EXPECT_EQ(en.FileWord, u" file ");
    EXPECT_EQ(en.FromLabel, u"From  : ");
    EXPECT_EQ(en.ToLabel, u"To     : ");
    EXPECT_EQ(en.ErrorCant, u"ERROR - Can't ");
    EXPECT_EQ(en.BrowseTitle, u"Please specify a directory");
    EXPECT_EQ(en.InvalidDrive, u"Not a valid Drive ID");
    EXPECT_EQ(en.NoDisk, u"There is no disk in Drive or Drive is not ready");
    EXPECT_EQ(en.InvalidDirName, u"Error - Invalid Directory Name");
    EXPECT_EQ(en.RenameQuestion, u"Do you want to rename the selected folder");
    EXPECT_EQ(en.CantAddDrives, u"Can't add drives");
    EXPECT_EQ(en.InvalidChars, u"Folder Name contains invalid characters");
    EXPECT_EQ(en.NotFound, u"not found");
    EXPECT_EQ(en.FileOpFailed, u"File operation failed");
    EXPECT_EQ(en.TreeSizeTitle, u"TREE SIZE");
    EXPECT_EQ(en.SubFoldersNote, u"and all its Sub-Folders ");

    const std::array<QString, 11> captions = {u"&New Folder"_s,
                                              u"&Rename Folder"_s,
                                              u"&Delete Folder"_s,
                                              u"Cu&t"_s,
                                              u"&Copy"_s,
                                              u"&Paste"_s,
                                              u"Tree &Size"_s,
                                              u"&Folder Contents"_s,
                                              u"&Map Network Drive ..."_s,
                                              u"Dis&Connect Network Drive"_s,
                                              u"&Property"_s};
    EXPECT_EQ(MenuCaptionsFor(lnEnglish), captions);
    EXPECT_EQ(MenuCaptionsFor(lnSysDefault), captions);
    EXPECT_EQ(TextsFor(lnSysDefault).BrowseTitle, en.BrowseTitle);
}

TEST_F(LanguagesTest, DefaultFolderNames) {
    const std::pair<TLanguage, QString> names[] = {
        {lnEnglish, u"New Folder"_s},     {lnChinese_Tra, u"新增資料夾"_s},
        {lnChinese_Sim, u"新增资料夹"_s}, {lnDutch, u"Nieuwe map"_s},
        {lnFrench, u"Nouveau Dossier"_s}, {lnGerman, u"Neuer Ordner"_s},
        {lnItalian, u"Nuova cartella"_s}, {lnJapanese, u"新しいフォルダ"_s},
        {lnPolish, u"Nowy Folder"_s},     {lnPortuguese, u"Nova pasta"_s},
        {lnSlovenian, u"Nova mapa"_s},    {lnSlovak, u"Nový priečinok"_s},
        {lnSpanish, u"Nueva carpeta"_s},  {lnSwedish, u"Ny Katalog"_s},
        {lnKorean, u"새 폴더"_s},         {lnTurkish, u"Yeni dizin"_s},
    };
    for (const auto& [language, name] : names)
        EXPECT_EQ(TextsFor(language).NewFolderName, name) << language;
    EXPECT_EQ(MenuCaptionsFor(lnKorean)[0], u"새 폴더(&N)");
}

TEST_F(LanguagesTest, EveryLanguageHasEveryRoleOfItsOwn) {
    const TLanguageTexts& en = TextsFor(lnEnglish);
    for (const TLanguage language : AllLanguages()) {
        const TLanguageTexts& texts = TextsFor(language);
        for (const Role& role : kRoles)
            EXPECT_FALSE((texts.*role.text).trimmed().isEmpty()) << language << " " << role.name;
        if (language == lnEnglish)
            continue;
        // Whole sentences cannot coincide with the English ones unless a table fell back.
        EXPECT_NE(texts.BrowseTitle, en.BrowseTitle) << language;
        EXPECT_NE(texts.NoDisk, en.NoDisk) << language;
        EXPECT_NE(texts.RenameQuestion, en.RenameQuestion) << language;
        EXPECT_NE(texts.InvalidChars, en.InvalidChars) << language;
        EXPECT_NE(MenuCaptionsFor(language)[1], MenuCaptionsFor(lnEnglish)[1]) << language;
    }
}

TEST_F(LanguagesTest, BlanksTheJoinsRelyOn) {
    for (const TLanguage language : AllLanguages()) {
        const TLanguageTexts& t = TextsFor(language);
        EXPECT_TRUE(t.DriveWord.endsWith(u' ') && !t.DriveWord.startsWith(u' ')) << language;
        EXPECT_TRUE(t.FolderWord.endsWith(u" \"")) << language;
        EXPECT_EQ(t.FolderWord.count(u'"'), 1) << language;
        EXPECT_TRUE(t.ErrorPrefix.endsWith(u' ')) << language;
        EXPECT_TRUE(t.FileWord.startsWith(u' ') && t.FileWord.endsWith(u' ')) << language;
        EXPECT_TRUE(t.ErrorCant.endsWith(u' ')) << language;
        EXPECT_TRUE(t.SubFoldersNote.endsWith(u' ')) << language;
        for (const QString* label : {&t.FromLabel, &t.ToLabel}) {
            EXPECT_TRUE(label->endsWith(u": ")) << language;
            EXPECT_EQ(label->count(u':'), 1) << language;
        }
        // Latin scripts line the two colons up character for character (English keeps its own
        // historical spacing).
        if (language != lnEnglish && !IsCjk(language)) {
            EXPECT_EQ(t.FromLabel.size(), t.ToLabel.size()) << language;
        }

        // The remaining roles are used whole and carry no blanks at their ends.
        for (const QString* text :
             {&t.BrowseTitle, &t.InvalidDrive, &t.NoDisk, &t.InvalidDirName, &t.RenameQuestion,
              &t.CantAddDrives, &t.NewFolderName, &t.InvalidChars, &t.NotFound, &t.FileOpFailed,
              &t.TreeSizeTitle})
            EXPECT_EQ(*text, text->trimmed()) << language << " '" << text->toStdString() << "'";
    }
}

TEST_F(LanguagesTest, CaptionsCarryOneAccelerator) {
    static const QRegularExpression cjkAccelerator(u"\\(&[A-Z]\\)(\\.\\.\\.)?$"_s);
    for (const TLanguage language : AllLanguages()) {
        std::set<QChar> letters;
        const std::array<QString, 11>& captions = MenuCaptionsFor(language);
        for (const QString& caption : captions) {
            ASSERT_EQ(caption.count(u'&'), 1) << language << " " << caption.toStdString();
            const qsizetype at = caption.indexOf(u'&');
            ASSERT_LT(at + 1, caption.size()) << language;
            const QChar letter = caption.at(at + 1);
            EXPECT_TRUE(letter.isLetter() && letter.unicode() < 0x80)
                << language << " " << caption.toStdString();
            if (IsCjk(language)) {
                EXPECT_TRUE(cjkAccelerator.match(caption).hasMatch()) << caption.toStdString();
            }
            letters.insert(letter.toCaseFolded());
        }
        // English keeps its own captions (C and P twice); the other Latin menus are unambiguous.
        if (language != lnEnglish && !IsCjk(language)) {
            EXPECT_EQ(letters.size(), captions.size()) << language;
        }
    }
}

TEST_F(LanguagesTest, TextsFitTheLanguagesCodePage) {
    const std::pair<TLanguage, const char*> codePages[] = {
        {lnEnglish, "windows-1252"}, {lnDutch, "windows-1252"},     {lnFrench, "windows-1252"},
        {lnGerman, "windows-1252"},  {lnItalian, "windows-1252"},   {lnPortuguese, "windows-1252"},
        {lnSpanish, "windows-1252"}, {lnSwedish, "windows-1252"},   {lnPolish, "windows-1250"},
        {lnSlovak, "windows-1250"},  {lnSlovenian, "windows-1250"}, {lnTurkish, "windows-1254"},
        {lnJapanese, "Shift_JIS"},   {lnChinese_Sim, "GBK"},        {lnChinese_Tra, "Big5"},
        {lnKorean, "windows-949"},
    };
    int checked = 0;
    for (const auto& [language, codePage] : codePages) {
        QStringEncoder encoder(codePage);
        QStringDecoder decoder(codePage);
        if (!encoder.isValid() || !decoder.isValid())
            continue;
        ++checked;
        QStringList all;
        for (const Role& role : kRoles)
            all << TextsFor(language).*role.text;
        for (const QString& caption : MenuCaptionsFor(language))
            all << caption;
        // A character outside the code page does not survive the way there and back.
        for (const QString& text : all)
            EXPECT_EQ(QString(decoder.decode(encoder.encode(text))), text) << codePage;
    }
    if (checked == 0)
        GTEST_SKIP() << "this Qt has no converters for the Windows code pages";
}

TEST_F(LanguagesTest, LoadLanguageTextsSwitchesTheSharedTexts) {
    EXPECT_EQ(LanguageTexts.NewFolderName, u"New Folder");

    CurrentLanguage = lnFrench;
    LoadLanguageTexts();
    EXPECT_EQ(LanguageTexts.NewFolderName, u"Nouveau Dossier");
    EXPECT_EQ(LanguageTexts.DriveWord, u"Lecteur ");

    // lnSysDefault is never loaded: the texts stay as they were.
    CurrentLanguage = lnSysDefault;
    LoadLanguageTexts();
    EXPECT_EQ(LanguageTexts.NewFolderName, u"Nouveau Dossier");

    CurrentLanguage = lnKorean;
    LoadLanguageTexts();
    EXPECT_EQ(LanguageTexts.NewFolderName, u"새 폴더");
    EXPECT_EQ(LanguageTexts.RenameQuestion, TextsFor(lnKorean).RenameQuestion);
}

} // namespace
