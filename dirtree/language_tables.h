// The built-in text tables of the tree component: every language's nineteen message roles and
// eleven menu captions, kept apart from the code that chooses among them.
#pragma once

#include <array>

#include <QString>

#include "dirtree/languages.h"

struct TLanguageTable {
    TLanguageTexts texts;
    std::array<QString, 11> captions;
};

// The table of one real language (lnEnglish ... lnTurkish); built once, on first use.
const TLanguageTable& LanguageTable(TLanguage language);
