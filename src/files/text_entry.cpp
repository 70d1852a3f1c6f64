#include "files/text_entry.h"

#include "files/messages.h"

#include <charconv>
#include <cmath>

namespace lexmora::files {

namespace {

bool isNameMode(EntryMode mode) {
    return mode == EntryMode::File || mode == EntryMode::File1;
}

bool refusedInName(char key, std::string_view invalidNameChars) {
    const auto c = static_cast<unsigned char>(key);
    return c < 0x20 || c == 0x7F || invalidNameChars.find(key) != std::string_view::npos;
}

} // namespace

EntryMode EntryModeFromTag(std::string_view tag) {
    if (tag == "File")
        return EntryMode::File;
    if (tag == "File1")
        return EntryMode::File1;
    if (tag == "Numeric")
        return EntryMode::Numeric;
    return EntryMode::Free;
}

KeyOutcome FilterEntryKey(EntryMode mode, std::size_t length, std::size_t selected,
                          std::size_t maxLength, char key, std::string_view invalidNameChars,
                          bool textHasDot) {
    using Action = KeyOutcome::Action;
    if (key == kKeyEnter)
        return {Action::Accept, key, std::nullopt};
    if (key == kKeyBackspace || !isNameMode(mode))
        return {Action::Insert, key, std::nullopt};
    const std::size_t kept = length - std::min(length, selected);
    if (maxLength == 0 || kept < maxLength) {
        if (refusedInName(key, invalidNameChars))
            return {Action::Discard, key, std::nullopt};
        return {Action::Insert, key, std::nullopt};
    }
    if (mode == EntryMode::File)
        return {Action::Discard, key, files::msg::TooManyCharacters(maxLength)};
    // "File1": the name is full; the next key opens the extension when there is none yet.
    if (!textHasDot)
        return {Action::Insert, '.', std::nullopt};
    return {Action::Discard, key, std::nullopt};
}

std::string CleanEntryText(EntryMode mode, std::string_view text, std::size_t maxLength,
                           std::string_view invalidNameChars) {
    std::string out;
    for (char c : text) {
        if (isNameMode(mode) && refusedInName(c, invalidNameChars))
            continue;
        if (maxLength != 0 && out.size() >= maxLength)
            break;
        out += c;
    }
    return out;
}

bool IsValidNumberEntry(std::string_view text) {
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return false;
    // from_chars: the same reading whatever the user's locale, and no "inf" or hexadecimal forms.
    double number = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), number, std::chars_format::general);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(number) &&
           number != 0.0;
}

std::optional<Message> CheckNumericEntry(std::string_view text) {
    if (text.empty() || IsValidNumberEntry(text))
        return std::nullopt;
    return files::msg::InvalidNumber();
}

bool IsReservedName(std::string_view name) {
    return name == "." || name == "..";
}

std::size_t FolderNameLimit(std::string_view folder) {
    const std::size_t room = folder.size() >= 255 ? 0 : 255 - folder.size();
    return std::min<std::size_t>(kMaxNameLength, room);
}

std::string FolderNamePrompt(std::size_t limit) {
    return std::string("Please enter folder name below") + kLineBreak + "(max. " +
           std::to_string(limit) + " characters)";
}

} // namespace lexmora::files
