// A private profile (".ini") reader and writer: case-insensitive section and key names, the first
// match wins, values trimmed, and a write keeps every other byte of the file as it was.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace lexmora {

// The value of `key` in `section` of the profile text, or nothing when either is absent.
std::optional<std::string> findProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// The profile text with `key` set to `value`: the first matching line is replaced, or a line is
// added at the end of the section, or the section is added at the end of the text.
std::string setProfileValue(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view value);

std::optional<std::string> readProfileValue(const std::string& path, std::string_view section,
                                            std::string_view key);

// Creates the file when missing; replaces it whole (written beside it, then renamed), so a failed
// write leaves the old file untouched. Returns false on any failure.
bool writeProfileValue(const std::string& path, std::string_view section, std::string_view key,
                       std::string_view value);

// Several keys of one section set in one replacement of the file (same rules as above).
bool writeProfileValues(const std::string& path, std::string_view section,
                        std::span<const std::pair<std::string, std::string>> keyValues);

} // namespace lexmora
