// The user's language identifier from the POSIX locale variables.
#include "platform/core/locale.h"

#include <atomic>
#include <cstdlib>
#include <string>
#include <string_view>

namespace platform {

namespace {

std::atomic<uint16_t> gPinned{0};

struct LangEntry {
    std::string_view locale; // "ll" or "ll_CC"
    uint16_t langId;
};

// Language with country first; a bare language gives its main country's identifier.
constexpr LangEntry kLanguages[] = {
    {"en_US", 0x0409}, {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409},
    {"en_IE", 0x1809}, {"en", 0x0409},    {"de_DE", 0x0407}, {"de_CH", 0x0807}, {"de_AT", 0x0C07},
    {"de_LU", 0x1007}, {"de", 0x0407},    {"fr_FR", 0x040C}, {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C},
    {"fr_CH", 0x100C}, {"fr_LU", 0x140C}, {"fr", 0x040C},    {"it_IT", 0x0410}, {"it_CH", 0x0810},
    {"it", 0x0410},    {"es_ES", 0x0C0A}, {"es_MX", 0x080A}, {"es_AR", 0x2C0A}, {"es", 0x0C0A},
    {"pt_BR", 0x0416}, {"pt_PT", 0x0816}, {"pt", 0x0816},    {"nl_NL", 0x0413}, {"nl_BE", 0x0813},
    {"nl", 0x0413},    {"sv_SE", 0x041D}, {"sv_FI", 0x081D}, {"sv", 0x041D},    {"zh_CN", 0x0804},
    {"zh_SG", 0x1004}, {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"zh_MO", 0x1404}, {"zh", 0x0804},
    {"ja", 0x0411},    {"ko", 0x0412},    {"pl", 0x0415},    {"sl", 0x0424},    {"sk", 0x041B},
    {"tr", 0x041F},    {"cs", 0x0405},    {"da", 0x0406},    {"fi", 0x040B},    {"el", 0x0408},
    {"hu", 0x040E},    {"nb", 0x0414},    {"no", 0x0414},    {"nn", 0x0814},    {"ru", 0x0419},
    {"uk", 0x0422},    {"hr", 0x041A},    {"ro", 0x0418},    {"bg", 0x0402},    {"ca", 0x0403},
    {"he", 0x040D},    {"ar", 0x0401},    {"et", 0x0425},    {"lv", 0x0426},    {"lt", 0x0427},
    {"is", 0x040F},    {"id", 0x0421},    {"th", 0x041E},    {"vi", 0x042A},
};

std::string_view localeFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return {};
}

} // namespace

uint16_t userDefaultLangId() {
    if (const uint16_t pinned = gPinned.load())
        return pinned;
    std::string_view locale = localeFromEnvironment();
    // "de_DE.UTF-8@euro" -> "de_DE"
    locale = locale.substr(0, locale.find_first_of(".@"));
    const std::string_view language = locale.substr(0, locale.find('_'));
    for (const LangEntry& entry : kLanguages) {
        if (entry.locale == locale)
            return entry.langId;
    }
    for (const LangEntry& entry : kLanguages) {
        if (entry.locale == language)
            return entry.langId;
    }
    return 0x0409;
}

void setUserDefaultLangIdForTesting(uint16_t langId) {
    gPinned.store(langId);
}

} // namespace platform
