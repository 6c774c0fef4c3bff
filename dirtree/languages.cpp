// Chooses among the tree component's language tables and keeps the process-wide texts.
#include "dirtree/languages.h"

#include "dirtree/language_tables.h"
#include "platform/core/locale.h"

// Every tree shows these; they start as English so that a helper used before any tree exists
// still has texts to show.
TLanguageTexts LanguageTexts = TextsFor(lnEnglish);
TLanguage CurrentLanguage = lnEnglish;

void LoadLanguageTexts() {
    if (CurrentLanguage == lnSysDefault)
        return;
    LanguageTexts = TextsFor(CurrentLanguage);
}

const TLanguageTexts& TextsFor(TLanguage language) {
    return LanguageTable(language).texts;
}

const std::array<QString, 11>& MenuCaptionsFor(TLanguage language) {
    return LanguageTable(language).captions;
}

TLanguage LanguageForLangId(uint16_t langId) {
    const unsigned primary = langId & 0x3FFu;
    const unsigned subLanguage = langId >> 10;
    switch (primary) {
    case 0x04:
        return subLanguage == 2 ? lnChinese_Sim : lnChinese_Tra;
    case 0x13:
        return lnDutch;
    case 0x0C:
        return lnFrench;
    case 0x07:
        return lnGerman;
    case 0x10:
        return lnItalian;
    case 0x11:
        return lnJapanese;
    case 0x15:
        return lnPolish;
    case 0x16:
        return lnPortuguese;
    case 0x24:
        return lnSlovenian;
    case 0x1B:
        return lnSlovak;
    case 0x0A:
        return lnSpanish;
    case 0x1D:
        return lnSwedish;
    case 0x12:
        return lnKorean;
    case 0x1F:
        return lnTurkish;
    default:
        return lnEnglish;
    }
}

TLanguage ResolveLanguage(TLanguage language) {
    if (language != lnSysDefault)
        return language;
    return LanguageForLangId(platform::userDefaultLangId());
}
