// Path helpers over POSIX paths: "/" is the separator the program adds and cuts at.
#pragma once

#include <string>
#include <string_view>

namespace lexmora {

inline constexpr char kPathSeparator = '/';

// The path with "/" appended unless it ends with one; an empty path stays empty.
std::string AddBackslash(std::string_view path);
// The part before the last "/" (the root stays "/"); empty when there is none.
std::string FolderOf(std::string_view path);
// The part after the last "/".
std::string FileNameOf(std::string_view path);
// From the last "." of the file name to the end; empty when the name has no ".".
std::string ExtensionOf(std::string_view name);
// The name without its extension; the whole name when there is none.
std::string StripExtension(std::string_view name);
// The text when it has at most n characters; else its first n/2 characters, "~", its last n/2.
std::string ShortenPath(std::string_view text, std::size_t n);
// An 8.3 form of a name: base upper case cut to 8, "." and the extension cut to 3.
std::string ShortFileName(std::string_view name);
// folder joined with name by exactly one "/".
std::string JoinPath(std::string_view folder, std::string_view name);

std::string toLowerAscii(std::string_view text);
std::string toUpperAscii(std::string_view text);
bool equalsNoCase(std::string_view a, std::string_view b);

} // namespace lexmora
