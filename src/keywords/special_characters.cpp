#include "keywords/special_characters.h"

namespace lexmora {

namespace {

constexpr SpecialCharEntry kFrenchLower[] = {{226, "131"}, {224, "133"}, {233, "130"}, {234, "136"},
                                             {232, "138"}, {235, "137"}, {238, "140"}, {239, "139"},
                                             {244, "147"}, {251, "150"}, {249, "151"}, {231, "135"},
                                             {156, "0156"}};
constexpr SpecialCharEntry kFrenchUpper[] = {
    {194, "0194"}, {192, "0192"}, {201, "144"},  {202, "0202"}, {200, "0200"},
    {203, "0203"}, {206, "0206"}, {207, "0207"}, {212, "0212"}, {219, "0219"},
    {217, "0217"}, {199, "128"},  {140, "0140"}};
constexpr SpecialCharEntry kGermanLower[] = {
    {228, "132"}, {246, "148"}, {252, "129"}, {223, "225"}};
// German has no capital sharp s in Windows-1252: the small one stands in both lists.
constexpr SpecialCharEntry kGermanUpper[] = {
    {196, "142"}, {214, "153"}, {220, "154"}, {223, "225"}};
constexpr SpecialCharEntry kItalianLower[] = {
    {224, "133"}, {232, "138"}, {236, "141"}, {242, "149"}, {249, "151"}};
constexpr SpecialCharEntry kItalianUpper[] = {
    {192, "0192"}, {200, "0200"}, {204, "0204"}, {210, "0210"}, {217, "0217"}};
constexpr SpecialCharEntry kSpanishLower[] = {{225, "160"}, {233, "130"}, {237, "161"},
                                              {243, "162"}, {250, "163"}, {241, "164"}};
constexpr SpecialCharEntry kSpanishUpper[] = {{193, "0193"}, {201, "144"},  {205, "0205"},
                                              {211, "0211"}, {218, "0218"}, {209, "165"}};

} // namespace

SpecialCharTable SpecialCharactersFor(LanguageId language) {
    switch (language) {
    case LanguageId::French:
        return {kFrenchLower, kFrenchUpper};
    case LanguageId::German:
        return {kGermanLower, kGermanUpper};
    case LanguageId::Italian:
        return {kItalianLower, kItalianUpper};
    case LanguageId::Spanish:
        return {kSpanishLower, kSpanishUpper};
    case LanguageId::English:
        break;
    }
    return {};
}

std::string LanguageCaption(const std::string& languageName) {
    return " Language: " + languageName;
}

} // namespace lexmora
