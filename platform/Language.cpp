#include "platform/Language.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

struct LocaleLanguage {
  std::string_view locale;  // language code, or language and territory
  LANGID id;
};

// Territories come before their bare language so that they are found first.
constexpr LocaleLanguage kLanguages[] = {
    {"zh_TW", 0x404}, {"zh_HK", 0xC04}, {"zh_SG", 0x1004}, {"zh", 0x804},
    {"pt_BR", 0x416}, {"pt", 0x816},    {"en_GB", 0x809},  {"en", 0x409},
    {"ar", 0x401},    {"bg", 0x402},    {"ca", 0x403},     {"cs", 0x405},
    {"da", 0x406},    {"de_AT", 0xC07}, {"de_CH", 0x807},  {"de", 0x407},
    {"el", 0x408},    {"es", 0xC0A},    {"fi", 0x40B},     {"fr_BE", 0x80C},
    {"fr_CA", 0xC0C}, {"fr_CH", 0x100C}, {"fr", 0x40C},    {"he", 0x40D},
    {"hu", 0x40E},    {"is", 0x40F},    {"it", 0x410},     {"ja", 0x411},
    {"ko", 0x412},    {"nl_BE", 0x813}, {"nl", 0x413},     {"nb", 0x414},
    {"no", 0x414},    {"pl", 0x415},    {"ro", 0x418},     {"ru", 0x419},
    {"hr", 0x41A},    {"sk", 0x41B},    {"sq", 0x41C},     {"sv", 0x41D},
    {"th", 0x41E},    {"tr", 0x41F},    {"id", 0x421},     {"uk", 0x422},
    {"sl", 0x424},    {"et", 0x425},    {"lv", 0x426},     {"lt", 0x427},
    {"vi", 0x42A},
};

}  // namespace

LANGID LangIdFromLocaleName(const char* locale) {
  if (!locale) return 0x409;
  const std::string_view name(locale, std::strcspn(locale, ".@"));
  for (const LocaleLanguage& entry : kLanguages) {
    if (!name.starts_with(entry.locale)) continue;
    const std::size_t n = entry.locale.size();
    if (name.size() == n || name[n] == '_') return entry.id;
  }
  return 0x409;
}

LANGID GetUserDefaultLangID() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return LangIdFromLocaleName(value);
  }
  return 0x409;
}
