// The directory tree component's texts in sixteen languages: the nineteen message roles shared by
// every tree of the process and the eleven context-menu captions each tree builds its menu from.
#pragma once

#include <array>
#include <cstdint>

#include <QString>

enum TLanguage {
    lnSysDefault,
    lnEnglish,
    lnChinese_Tra,
    lnChinese_Sim,
    lnDutch,
    lnFrench,
    lnGerman,
    lnItalian,
    lnJapanese,
    lnPolish,
    lnPortuguese,
    lnSlovenian,
    lnSlovak,
    lnSpanish,
    lnSwedish,
    lnKorean,
    lnTurkish,
};

// The nineteen message roles. Several carry leading or trailing blanks that the joins of the tree's
// messages rely on.
struct TLanguageTexts {
    QString DriveWord;
    QString FolderWord;
    QString ErrorPrefix;
    QString FileWord;
    QString FromLabel;
    QString ToLabel;
    QString ErrorCant;
    QString BrowseTitle;
    QString InvalidDrive;
    QString NoDisk;
    QString InvalidDirName;
    QString RenameQuestion;
    QString CantAddDrives;
    QString NewFolderName;
    QString InvalidChars;
    QString NotFound;
    QString FileOpFailed;
    QString TreeSizeTitle;
    QString SubFoldersNote;
};

// Process-wide: the texts every tree shows, and the language they were loaded for.
extern TLanguageTexts LanguageTexts;
extern TLanguage CurrentLanguage;

// Loads the nineteen roles for CurrentLanguage; does nothing for lnSysDefault.
void LoadLanguageTexts();

// The texts of one language (lnSysDefault gives English).
const TLanguageTexts& TextsFor(TLanguage language);
// The eleven menu captions of one language, in menu order ("&New Folder" ... "&Property").
const std::array<QString, 11>& MenuCaptionsFor(TLanguage language);

// The language of a Windows language identifier: primary id in the low 10 bits, sub-language in
// the next 6; lnEnglish for every id without a language of its own.
TLanguage LanguageForLangId(uint16_t langId);
// lnSysDefault resolved from the user's locale; any other value unchanged.
TLanguage ResolveLanguage(TLanguage language);
