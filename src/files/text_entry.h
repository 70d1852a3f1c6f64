// The rules of the text entry dialog: the modes held in the entry box's tag, what each keystroke
// does, the number check and the length limits of names.
#pragma once

#include "core/message.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lexmora::files {

enum class EntryMode { File, File1, Numeric, Free };

inline constexpr const char* kEnterTextCaption = "  Enter text";
inline constexpr std::size_t kMaxNameLength = 50;

// "File", "File1", "Numeric"; any other tag is free text.
EntryMode EntryModeFromTag(std::string_view tag);

inline constexpr char kKeyEnter = '\r';
inline constexpr char kKeyBackspace = '\b';

struct KeyOutcome {
    enum class Action { Insert, Discard, Accept } action = Action::Insert;
    char key = 0;                   // the character to insert (may differ from the one typed)
    std::optional<Message> message; // shown before the key is dropped
};

// One keystroke (a Windows-1252 character, kKeyEnter or kKeyBackspace) typed into a text of
// `length` characters of which `selected` are selected (and so replaced by the key).
// In the name modes characters refused in names, and control characters, are dropped silently.
KeyOutcome FilterEntryKey(EntryMode mode, std::size_t length, std::size_t selected,
                          std::size_t maxLength, char key, std::string_view invalidNameChars,
                          bool textHasDot);

// Pasted or preset text made to obey the same rules: refused characters dropped, cut to the limit
// (0 = none).
std::string CleanEntryText(EntryMode mode, std::string_view text, std::size_t maxLength,
                           std::string_view invalidNameChars);

// True when the text reads as a number other than 0 (blanks around it allowed).
bool IsValidNumberEntry(std::string_view text);

// The message for a changed text in "Numeric" mode, when there is one to show.
std::optional<Message> CheckNumericEntry(std::string_view text);

// A name of the file system that cannot name a new file or folder: "." and "..".
bool IsReservedName(std::string_view name);

// The longest new folder name in `folder`: the smaller of 50 and 255 minus the folder's length.
std::size_t FolderNameLimit(std::string_view folder);

// "Please enter folder name below", a line break, "(max. m characters)".
std::string FolderNamePrompt(std::size_t limit);

} // namespace lexmora::files
