// Choosing the character code of a source file: a fixed code from the "&Codes" menu, or, in
// Automatic mode, the file's byte-order mark or UTF-8 form, the code files' signatures, and the
// code files' extensions.
#pragma once

#include "core/program_state.h"

#include <string>
#include <string_view>

namespace lexmora {

// How the file's bytes become the Windows-1252 text that is searched.
enum class SourceConversion { None, Utf16LittleEndian, Utf16BigEndian, Utf8 };

inline constexpr std::size_t kSignatureBytes = 50; // what signatures are looked for in
inline constexpr const char* kUtf8CodeName = "UTF-8";

struct DetectedCode {
    int codeIndex = 1; // 1 ANSI, 2 ASCII, 3.. a code file
    SourceConversion conversion = SourceConversion::None;
};

// The code of a file from its first bytes and its name. `firstBytes` is the file's first block
// (or all of it, when shorter); `moreFollows` tells that the file is longer than that block, so
// a UTF-8 sequence cut at its end is not a fault.
//
// In Automatic mode a file is converted when it starts with a UTF-16 or UTF-8 byte-order mark,
// or when its first block is valid UTF-8 holding at least one multi-byte sequence; the code is
// then chosen on the converted text, as on any other: a code file whose signature the first 50
// bytes begin with (and whose second signature, when it has one, stands at its position), else
// the first code file listing the file's extension, else ANSI.
// `codeMode` is the run's choice (CodeMode: Automatic or a fixed code); the state gives the
// code rows.
DetectedCode DetectCode(const ProgramState& state, int codeMode, std::string_view firstBytes,
                        std::string_view fileName, bool moreFollows);

// The code chosen on text that needs no conversion (signatures, extension, ANSI).
int DetectCodeOfText(const ProgramState& state, std::string_view firstBytes,
                     std::string_view fileName);

// The conversion a file's first bytes ask for (Automatic mode only).
SourceConversion DetectConversion(std::string_view firstBytes, bool moreFollows);

// The whole file as the Windows-1252 text that is searched: the byte-order mark is dropped and
// characters Windows-1252 cannot hold become "?". Offsets and counts of a search refer to it.
std::string ConvertSourceText(std::string_view bytes, SourceConversion conversion);

// The code name a search records for the file: "UTF-8" for a converted UTF-8 file read as
// ANSI, else the name of the code.
std::string DetectedCodeName(const ProgramState& state, const DetectedCode& code);

// True when `extensions` (a code file's line 2, e.g. ".htm .html" or ".htm,.html") lists `ext`
// (with its "."), compared without regard to case.
bool ExtensionListed(std::string_view extensions, std::string_view ext);

} // namespace lexmora
