// Handing a file to a viewer: the program's own text or HTML window, or the desktop's default
// application through xdg-open, chosen by the file's extension, size and content.
#pragma once

#include "core/program_state.h"
#include "core/prompter.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lexmora {

inline constexpr const char* kExternalViewer = "xdg-open";
// Files from this size on are too large for the plain-text window.
inline constexpr std::uint64_t kTextViewerLimit = 32768;
// A source shown at its hit goes to the text window up to this size: only it can mark the hit.
inline constexpr std::uint64_t kMarkedTextLimit = 64ull << 20;

// Bytes of a file to show marked, scrolled into view.
struct FileMark {
    std::uint64_t offset = 0; // 0-based
    std::uint64_t length = 0;
};

// What the desktop gives the engine to show files with. The external programs are run here by
// default; tests replace everything.
class FileViewer {
public:
    virtual ~FileViewer() = default;
    // The program's plain-text window; read-only when the user may not change files.
    virtual void openTextViewer(const std::string& path, bool readOnly) = 0;
    // The same window scrolled to `mark`, which it shows marked.
    virtual void openTextViewerAt(const std::string& path, bool readOnly, FileMark mark) {
        (void)mark;
        openTextViewer(path, readOnly);
    }
    // The program's web window, with Back, Forward and Close. The caption is Windows-1252.
    virtual void openHtmlViewer(const std::string& path, const std::string& caption) = 0;
    // Runs an external program, waiting for it to end when `wait`; false when it did not start.
    virtual bool runExternal(const std::vector<std::string>& argv, bool wait);
    // The program's path, or empty when it is not installed.
    virtual std::string findProgram(const std::string& name);
};

enum class ViewerChoice {
    TextWindow, // ".txt", ".log", ".dmp" ... and text files of other extensions
    AskHtml,    // ".htm", ".html", ".xml": asked whether to show it as a web page
    External,   // ".doc", and binary files
    ByContent,  // anything else: text or binary, as the file's start tells
};

// The choice by extension alone (lower case, with its "."); size and content come later.
ViewerChoice ViewerForExtension(std::string_view extension);

enum class ViewerUsed { None, TextWindow, HtmlWindow, External };

// Shows a file. `name` may be relative to `folder`; `extension` (with or without its ".")
// overrides the name's. A name holding "*" or "?" opens its folder in the external viewer, since
// no Linux viewer takes a pattern. When `WriteToFiles` is false the text window is read-only, and
// a file given to the external viewer is made read-only until the viewer returns.
ViewerUsed ViewFile(const std::string& name, const std::string& folder,
                    const std::string& extension, const ProgramState& state, Prompter& prompter,
                    FileViewer& viewer);

// Shows a text file at `mark` in the text window (up to kMarkedTextLimit); any other file as
// ViewFile shows it.
ViewerUsed ViewFileAt(const std::string& path, FileMark mark, const ProgramState& state,
                      Prompter& prompter, FileViewer& viewer);

} // namespace lexmora
