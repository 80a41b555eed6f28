// The number symbols of the locale a run takes from the environment, as a JDK on Linux takes them.
#include "runtime/runtime.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace runtime {

namespace {

struct LocaleSymbols
{
    const char* name; // "de" for a language, "de_AT" for a country where it differs from its language
    char16_t decimal;
    char16_t grouping;
};

// The separators of JDK 17's locale data (DecimalFormatSymbols) for the locales that write their digits as
// 0 to 9: one entry for each language that does not write "1,234.5", and one for each country whose
// separators differ from its language's. Sorted by name.
constexpr LocaleSymbols kLocales[] = {
    {"af", u',', u'\u00A0'},    {"agq", u',', u'\u00A0'},   {"ar_DZ", u',', u'.'},
    {"ar_LY", u',', u'.'},      {"ar_MA", u',', u'.'},      {"ar_TN", u',', u'.'},
    {"ast", u',', u'.'},        {"az", u',', u'.'},         {"bas", u',', u'\u00A0'},
    {"be", u',', u'\u00A0'},    {"bg", u',', u'\u00A0'},    {"br", u',', u'\u00A0'},
    {"bs", u',', u'.'},         {"ca", u',', u'.'},         {"cs", u',', u'\u00A0'},
    {"da", u',', u'.'},         {"de", u',', u'.'},         {"de_AT", u',', u'\u00A0'},
    {"de_CH", u'.', u'\u2019'}, {"de_LI", u'.', u'\u2019'}, {"dje", u'.', u'\u00A0'},
    {"dsb", u',', u'.'},        {"dua", u',', u'\u00A0'},   {"dyo", u',', u'\u00A0'},
    {"el", u',', u'.'},         {"en_AT", u',', u'.'},      {"en_BE", u',', u'.'},
    {"en_CH", u'.', u'\u2019'}, {"en_DE", u',', u'.'},      {"en_DK", u',', u'.'},
    {"en_FI", u',', u'\u00A0'}, {"en_NL", u',', u'.'},      {"en_SE", u',', u'\u00A0'},
    {"en_SI", u',', u'.'},      {"en_ZA", u',', u'\u00A0'}, {"eo", u',', u'\u00A0'},
    {"es", u',', u'.'},         {"es_419", u'.', u','},     {"es_BR", u'.', u','},
    {"es_BZ", u'.', u','},      {"es_CR", u',', u'\u00A0'}, {"es_CU", u'.', u','},
    {"es_DO", u'.', u','},      {"es_GT", u'.', u','},      {"es_HN", u'.', u','},
    {"es_MX", u'.', u','},      {"es_NI", u'.', u','},      {"es_PA", u'.', u','},
    {"es_PE", u'.', u','},      {"es_PR", u'.', u','},      {"es_SV", u'.', u','},
    {"es_US", u'.', u','},      {"et", u',', u'\u00A0'},    {"eu", u',', u'.'},
    {"ewo", u',', u'\u00A0'},   {"ff", u',', u'\u00A0'},    {"fi", u',', u'\u00A0'},
    {"fo", u',', u'.'},         {"fr", u',', u'\u202F'},    {"fr_CA", u',', u'\u00A0'},
    {"fr_LU", u',', u'.'},      {"fr_MA", u',', u'.'},      {"fur", u',', u'.'},
    {"fy", u',', u'.'},         {"gl", u',', u'.'},         {"gsw", u'.', u'\u2019'},
    {"hr", u',', u'.'},         {"hsb", u',', u'.'},        {"hu", u',', u'\u00A0'},
    {"hy", u',', u'\u00A0'},    {"ia", u',', u'.'},         {"id", u',', u'.'},
    {"is", u',', u'.'},         {"it", u',', u'.'},         {"it_CH", u'.', u'\u2019'},
    {"jgo", u',', u'.'},        {"jv", u',', u'.'},         {"ka", u',', u'\u00A0'},
    {"kab", u',', u'\u00A0'},   {"kea", u',', u'\u00A0'},   {"khq", u'.', u'\u00A0'},
    {"kk", u',', u'\u00A0'},    {"kkj", u',', u'.'},        {"kl", u',', u'.'},
    {"km", u',', u'.'},         {"ksf", u',', u'\u00A0'},   {"ksh", u',', u'\u00A0'},
    {"ku", u',', u'.'},         {"ky", u',', u'\u00A0'},    {"lb", u',', u'.'},
    {"ln", u',', u'.'},         {"lo", u',', u'.'},         {"lt", u',', u'\u00A0'},
    {"lu", u',', u'.'},         {"lv", u',', u'\u00A0'},    {"mfe", u'.', u'\u00A0'},
    {"mgh", u',', u'.'},        {"mk", u',', u'.'},         {"ms_BN", u',', u'.'},
    {"ms_ID", u',', u'.'},      {"mua", u',', u'.'},        {"nb", u',', u'\u00A0'},
    {"nl", u',', u'.'},         {"nmg", u',', u'\u00A0'},   {"nn", u',', u'\u00A0'},
    {"nnh", u',', u'.'},        {"no", u',', u'\u00A0'},    {"os", u',', u'\u00A0'},
    {"pl", u',', u'\u00A0'},    {"pt", u',', u'.'},         {"pt_AO", u',', u'\u00A0'},
    {"pt_CH", u',', u'\u00A0'}, {"pt_CV", u',', u'\u00A0'}, {"pt_GQ", u',', u'\u00A0'},
    {"pt_GW", u',', u'\u00A0'}, {"pt_LU", u',', u'\u00A0'}, {"pt_MO", u',', u'\u00A0'},
    {"pt_MZ", u',', u'\u00A0'}, {"pt_PT", u',', u'\u00A0'}, {"pt_ST", u',', u'\u00A0'},
    {"pt_TL", u',', u'\u00A0'}, {"qu_BO", u',', u'.'},      {"rm", u'.', u'\u2019'},
    {"rn", u',', u'.'},         {"ro", u',', u'.'},         {"ru", u',', u'\u00A0'},
    {"rw", u',', u'.'},         {"sah", u',', u'\u00A0'},   {"se", u',', u'\u00A0'},
    {"seh", u',', u'.'},        {"ses", u'.', u'\u00A0'},   {"sg", u',', u'.'},
    {"shi", u',', u'\u00A0'},   {"sk", u',', u'\u00A0'},    {"sl", u',', u'.'},
    {"smn", u',', u'\u00A0'},   {"sq", u',', u'\u00A0'},    {"sr", u',', u'.'},
    {"su", u',', u'.'},         {"sv", u',', u'\u00A0'},    {"sw_CD", u',', u'.'},
    {"tg", u',', u'\u00A0'},    {"tk", u',', u'\u00A0'},    {"tr", u',', u'.'},
    {"tt", u',', u'\u00A0'},    {"twq", u'.', u'\u00A0'},   {"tzm", u',', u'\u00A0'},
    {"uk", u',', u'\u00A0'},    {"uz", u',', u'\u00A0'},    {"vi", u',', u'.'},
    {"wae", u',', u'\u2019'},   {"wo", u',', u'.'},         {"xh", u'.', u'\u00A0'},
    {"yav", u',', u'\u00A0'},   {"zgh", u',', u'\u00A0'},
};

} // namespace

NumberSymbols numberSymbolsOf(std::string_view localeName)
{
    // "de_DE.UTF-8@euro": the language before '_', the country up to '.' or '@'.
    const std::string_view name = localeName.substr(0, localeName.find_first_of(".@"));
    const std::size_t underscore = name.find('_');
    const std::string_view language = name.substr(0, underscore);
    const std::string_view country =
        underscore == std::string_view::npos ? std::string_view() : name.substr(underscore + 1);
    auto find = [](std::string_view key) -> const LocaleSymbols* {
        const auto* found = std::find_if(std::begin(kLocales), std::end(kLocales),
                                         [&](const LocaleSymbols& l) { return key == l.name; });
        return found == std::end(kLocales) ? nullptr : found;
    };
    const LocaleSymbols* symbols = nullptr;
    if (!country.empty())
        symbols = find(std::string(language) + '_' + std::string(country));
    if (!symbols)
        symbols = find(language);
    // "C", "POSIX", unknown languages: Java's English (root) symbols.
    return symbols ? NumberSymbols{symbols->decimal, symbols->grouping} : NumberSymbols{};
}

NumberSymbols environmentNumberSymbols()
{
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return numberSymbolsOf(value);
    }
    return {};
}

} // namespace runtime
