// The user's language as a Windows language identifier. Standard C++ only.
#pragma once

#include <cstdint>

namespace platform {

// GetUserDefaultLangID: primary language in the low 10 bits, sub-language in the next 6, derived
// from LC_ALL / LC_MESSAGES / LANG ("de_DE.UTF-8" -> 0x0407, "zh_CN" -> 0x0804, "zh_TW" -> 0x0404,
// unknown or "C" -> 0x0409).
uint16_t userDefaultLangId();
// Tests pin the answer; 0 goes back to the environment.
void setUserDefaultLangIdForTesting(uint16_t langId);

} // namespace platform
