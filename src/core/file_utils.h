// File helpers every run uses: existence and pattern counts, folder listings, invalid
// extensions, whole-file and line reads, Unicode and binary tests, unique result-file names.
#pragma once

#include "core/result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

// True when the name is a regular file; a name with "*" or "?" is true when any file matches.
bool FileExists(const std::string& name);

// True when a file name matches one pattern: "*" and "?" are the only wildcards and match
// without regard to case; "X.*" also matches "X" without any extension, so "*.*" matches all.
// Names starting with "." are hidden and match only a pattern that starts with ".".
bool MatchesFilePattern(std::string_view name, std::string_view pattern);

// The number of files matching a list of patterns separated by ";", each pattern taken in the
// folder of the first one. A pattern without wildcards names exactly one file (exact case).
std::size_t CountFiles(std::string_view patterns);

// True when the name's extension, cut to four characters and stripped of trailing blanks, is
// one of the four-character entries of `invalidExtensions` (e.g. ".GZ " for ".gz"), without
// regard to case. A name without extension is never invalid.
bool HasInvalidExtension(std::string_view name, std::string_view invalidExtensions);

// The whole file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& name);

// Text split into lines at CR LF, else CR, else LF, else "<br>": the first of these, in that
// order, that the text holds. A line end at the very end does not add an empty line.
std::vector<std::string> SplitText(std::string_view text);
// The file's lines as SplitText splits them; empty when it cannot be read.
std::vector<std::string> SplitLines(const std::string& name);

// True when the text starts with a UTF-16 byte-order mark (FF FE or FE FF).
bool IsUnicodeText(std::string_view text);

// The binary test over the start of a file of `fileLength` bytes: a NUL among its first
// min(fileLength - 1, 32767) bytes, and no byte-order mark.
bool IsBinaryText(std::string_view start, std::uint64_t fileLength);
inline constexpr std::size_t kBinaryTestLength = 32767;

inline constexpr std::size_t kMaxFileNameLength = 255;
// A result-file name that no file in the folder has yet: the base (Windows-1252 text such as a
// keyword) with every character of `invalidChars`, every blank and control character and a
// leading "." replaced by "_", cut so that base, "_" with a three-digit counter from 001, and
// the extension fit in 255 bytes. The name is returned as it goes on disk (UTF-8), without the
// folder; empty when every counter up to 999,999 is taken.
std::string MakeUniqueFileName(const std::string& folder, std::string_view base,
                               std::string_view extension, std::string_view invalidChars);

// Deletes the ".dmp", ".log" and ".sum" files of the name's base; errors are ignored.
void DeleteResultFiles(const std::string& name);

} // namespace lexmora
