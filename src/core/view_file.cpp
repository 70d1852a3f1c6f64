#include "core/view_file.h"

#include "core/file_io.h"
#include "core/file_utils.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/run_process.h"
#include "core/text_codec.h"

#include <cerrno>
#include <sys/stat.h>

namespace lexmora {
namespace {

ViewerUsed runExternalViewer(const std::string& target, bool protect, Prompter& prompter,
                             FileViewer& viewer) {
    const std::string program = viewer.findProgram(kExternalViewer);
    if (program.empty()) {
        prompter.tell(core::msg::CannotFindViewer(kExternalViewer));
        return ViewerUsed::None;
    }
    struct stat st {};
    const bool remembered = protect && ::stat(target.c_str(), &st) == 0;
    const mode_t writeBits = S_IWUSR | S_IWGRP | S_IWOTH;
    const bool madeReadOnly = remembered && (st.st_mode & writeBits) != 0 &&
                              ::chmod(target.c_str(), st.st_mode & 07777 & ~writeBits) == 0;
    const bool started = viewer.runExternal({program, target}, protect);
    if (madeReadOnly)
        ::chmod(target.c_str(), st.st_mode & 07777);
    if (!started) {
        prompter.tell(core::msg::CannotFindViewer(kExternalViewer));
        return ViewerUsed::None;
    }
    return ViewerUsed::External;
}

} // namespace

bool FileViewer::runExternal(const std::vector<std::string>& argv, bool wait) {
    return wait ? RunAndWait(argv) >= 0 : StartProcess(argv);
}

std::string FileViewer::findProgram(const std::string& name) {
    return FindProgram(name);
}

ViewerChoice ViewerForExtension(std::string_view extension) {
    for (std::string_view text : {".txt", ".*", ".log", ".dmp", ".sum", ".ansi", ".ascii"})
        if (extension == text)
            return ViewerChoice::TextWindow;
    for (std::string_view html : {".htm", ".html", ".xml"})
        if (extension == html)
            return ViewerChoice::AskHtml;
    if (extension == ".doc")
        return ViewerChoice::External;
    return ViewerChoice::ByContent;
}

ViewerUsed ViewFile(const std::string& name, const std::string& folder,
                    const std::string& extension, const ProgramState& state, Prompter& prompter,
                    FileViewer& viewer) {
    const std::string path = (!folder.empty() && !name.empty() && name.front() != kPathSeparator)
                                 ? JoinPath(folder, name)
                                 : name;
    const std::string fileName = FileNameOf(path);
    if (fileName.find_first_of("*?") != std::string::npos) {
        std::string where = FolderOf(path);
        if (where.empty())
            where = folder.empty() ? std::string(".") : folder;
        return runExternalViewer(where, false, prompter, viewer);
    }

    std::string ext = extension.empty() ? ExtensionOf(fileName) : extension;
    if (!extension.empty() && extension.front() != '.')
        ext.insert(0, ".");
    ext = toLowerAscii(ext);

    const auto length = fileSize(path);
    if (!length || !isRegularFile(path)) {
        prompter.tell(core::msg::CannotOpenFile(path, length ? EISDIR : errno));
        return ViewerUsed::None;
    }

    ViewerChoice choice = ViewerForExtension(ext);
    if (choice == ViewerChoice::AskHtml) {
        if (prompter.ask(core::msg::ViewAsWebPage()) == Answer::Yes) {
            viewer.openHtmlViewer(path, utf8ToCp1252(fileName) + "  ");
            return ViewerUsed::HtmlWindow;
        }
        choice = ViewerChoice::External;
    } else if (choice == ViewerChoice::TextWindow && *length >= kTextViewerLimit) {
        prompter.tell(core::msg::FileTooLargeForNotepad());
        choice = ViewerChoice::External;
    } else if (choice == ViewerChoice::ByContent) {
        const auto start = readFileStart(path, kBinaryTestLength);
        if (!start) {
            prompter.tell(core::msg::CannotOpenFile(path, errno));
            return ViewerUsed::None;
        }
        choice = IsBinaryText(*start, *length) ? ViewerChoice::External : ViewerChoice::TextWindow;
    }

    if (choice == ViewerChoice::TextWindow) {
        viewer.openTextViewer(path, !state.WriteToFiles);
        return ViewerUsed::TextWindow;
    }
    return runExternalViewer(path, !state.WriteToFiles, prompter, viewer);
}

ViewerUsed ViewFileAt(const std::string& path, FileMark mark, const ProgramState& state,
                      Prompter& prompter, FileViewer& viewer) {
    const ViewerChoice choice = ViewerForExtension(toLowerAscii(ExtensionOf(FileNameOf(path))));
    const auto length = fileSize(path);
    bool text = choice == ViewerChoice::TextWindow;
    if (choice == ViewerChoice::ByContent && length && isRegularFile(path)) {
        const auto start = readFileStart(path, kBinaryTestLength);
        text = start && !IsBinaryText(*start, *length);
    }
    if (!text || !length || *length > kMarkedTextLimit || !isRegularFile(path))
        return ViewFile(path, "", "", state, prompter, viewer);
    viewer.openTextViewerAt(path, !state.WriteToFiles, mark);
    return ViewerUsed::TextWindow;
}

} // namespace lexmora
