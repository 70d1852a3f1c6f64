// Code tables: how each character code (ANSI, ASCII, the code files "*.wp#") writes the 52
// special letters, and the code file format that feeds them.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

using CodeRow = ProgramState::CodeRow;

inline constexpr int kCodeAutomatic = 0;
inline constexpr int kCodeAnsi = 1;
inline constexpr int kCodeAscii = 2;
inline constexpr int kFirstCodeFile = 3;
inline constexpr int kSpecialCharCount = 52; // 26 lower-case positions, then their capitals
inline constexpr int kCodeFileLines = 17;
inline constexpr int kMaxCodeBytes = 20;
inline constexpr const char* kCodeFilePattern = "*.wp#";
inline constexpr const char* kCodeFileExtension = ".wp#";

// The ANSI special letters, entry j (0-based) of table 1 of the ANSI row: what the keyword
// compiler looks special characters up in. Entry j and j + 26 are the two cases of one letter.
const std::string& AnsiSpecialLetters();

// Two hex digits at a time, each pair one character. A pair is read as far as its digits are
// valid ("4G" gives 4); a pair whose first digit is not hex gives the character 0.
std::string HexToText(std::string_view hex);

// Parses "entry/entry/.../" into table `tableNumber` (1 or 2) of `row`: up to 52 entries of hex,
// an entry starting with "*" is stored as prefix + decoded + suffix, an empty entry leaves its
// position empty, entries beyond 52 are ignored.
void ParseCodeTable(std::string_view table, CodeRow& row, int tableNumber, std::string_view prefix,
                    std::string_view suffix);

// Rows 0 (transliteration), 1 (ANSI) and 2 (ASCII) with their built-in values.
std::vector<CodeRow> BuiltInCodeRows();

// The row of code `codeIndex`: the state's own, else the built-in one (a state whose code files
// were never loaded), else ANSI.
const CodeRow& CodeRowOf(const ProgramState& state, int codeIndex);

// A code file's 17 lines (CR LF or LF ends) read into a row. Missing lines leave their fields
// empty; a code file without a word separator (line 15) separates words by blanks.
CodeRow ParseCodeFile(std::string_view bytes);

// The value of a code file line: everything after the first ":" (the whole line without one).
std::string_view CodeLineValue(std::string_view line);

// Why the bytes of a code file are not what a code file holds (binary, no name on line 1, a hex
// line or table line with other characters), or nothing when they are.
std::optional<std::string> CodeFileProblem(std::string_view bytes);

// Builds every code row from the built-in tables and the named code files in `folder`, in the
// order given. A file that cannot be read is told through `prompter` and keeps an empty row; a
// damaged one (CodeFileProblem) is told and loaded as it reads.
// Sets CodeCount, CodeLetters, and CodeMode: Automatic when code files were loaded, else ANSI.
void LoadCodeFiles(ProgramState& state, const std::string& folder,
                   const std::vector<std::string>& fileNames, Prompter& prompter);

// The "*.wp#" files of a folder, ordered by their first line (label included) without regard to
// case; names of equal first lines keep their name order. Unreadable files are told and sort as
// an empty first line.
std::vector<std::string> OrderedCodeFiles(const std::string& folder, Prompter& prompter);

// The folder the code files are loaded from: the one chosen with "&Code Files" since start-up,
// else the "codes" folder beside the executable, where the shipped ones are installed.
std::string CodeFilesFolder(const ProgramState& state);

// Start-up and "&Code Files": every code file of the folder, ordered and loaded.
void LoadCodeFolder(ProgramState& state, const std::string& folder, Prompter& prompter);

// The caption of an item of the "&Codes" menu: "Automatic", "ANSI", "ASCII", a code file's name.
std::string CodeModeCaption(const ProgramState& state, int mode);

// Chooses an item of the "&Codes" menu; false (nothing changed) when there is no such item.
bool SetCodeMode(ProgramState& state, int mode);

// The code number whose name (or "auto", "ansi", "ascii") is `name`, compared without regard
// to case; -1 when there is none.
int FindCodeMode(const ProgramState& state, std::string_view name);

} // namespace lexmora
