// Stored file lists (".flist"): one full path per line, CR LF after every line, no header; and
// the stored list of the chooser that outlives it.
#pragma once

#include "core/result.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora::files {

inline constexpr const char* kFileListExtension = ".flist";
inline constexpr const char* kFileListPattern = "*.flist";
inline constexpr std::size_t kMaxStoredFiles = 32767;

// A name the list format cannot carry: a line break or NUL would split or end its line.
bool IsStorableName(std::string_view path);

// The bytes of a list file. A path that Windows-1252 can hold exactly is written in that code
// page, as the program writes every file; any other (characters beyond the code page, bytes that
// are not UTF-8) is written as its own bytes, so that it still opens the file when read back.
// Names that cannot be stored are left out.
std::string FormatFileList(const std::vector<std::string>& paths);

// The on-disk path for one line of a list (see FormatFileList): the line as it stands when a
// file of that name exists or it cannot be Windows-1252, else the line read as Windows-1252.
std::string DecodeListLine(std::string_view line);

struct ParsedFileList {
    std::vector<std::string> paths; // in file order, empty lines skipped
    std::size_t foreignLines = 0;   // lines that are not full paths, left out
    std::size_t linesCut = 0;       // lines beyond kMaxStoredFiles, left out
    bool binary = false;            // holds NUL bytes: not a text file at all
};

// Lines end at CR LF, LF or CR; a final Ctrl-Z and a UTF-8 byte-order mark are dropped; at most
// kMaxStoredFiles paths are taken.
ParsedFileList ParseFileList(std::string_view bytes);

struct FileListRead {
    std::vector<std::string> paths;
    std::size_t missing = 0; // listed files that are not there (or not regular files) now
    std::size_t foreignLines = 0;
    std::size_t linesCut = 0;
};

// Reads a list file. Fails when it cannot be read, is not a text list of full paths, or holds no
// names at all.
Result<FileListRead> ReadFileList(const std::string& path);

// Writes the list in one piece: readers never see half a list, and a failed write leaves the
// old file as it was. Fails with "Cannot continue!" and the system's text.
Status WriteFileList(const std::string& path, const std::vector<std::string>& paths);

// Adds paths to the stored list unless already there, up to kMaxStoredFiles entries. Returns the
// number of names not added because the format cannot carry them.
struct AddOutcome {
    std::size_t added = 0;
    std::size_t notStorable = 0;
    std::size_t overLimit = 0;
};
AddOutcome AddToStoredList(std::vector<std::string>& stored, const std::vector<std::string>& paths);

} // namespace lexmora::files
