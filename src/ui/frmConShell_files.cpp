// The main window's ways to a file without its chooser: the "Recent Files" menu and files or
// folders dropped on the window.
#include "ui/frmConShell.h"

#include "core/file_io.h"
#include "core/paths.h"
#include "core/text_codec.h"
#include "files/source_choice.h"
#include "ui/frmViewCount.h"
#include "ui/messages.h"
#include "ui/text_convert.h"
#include "ui/viewer_run_qt.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

namespace lexmora::ui {

namespace {

// A lone file of this kind opens in its viewer instead of becoming a source.
bool isFileNamed(const std::string& path, std::string_view extension) {
    return equalsNoCase(ExtensionOf(FileNameOf(path)), extension) && !isDirectory(path);
}

std::vector<std::string> localPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            paths.push_back(pathFromQt(url.toLocalFile()));
    return paths;
}

struct RecentGroup {
    RecentKind kind;
    const char* title;
};
constexpr RecentGroup kRecentGroups[] = {{RecentKind::ResultFile, "Result files"},
                                         {RecentKind::WordList, "Word lists"},
                                         {RecentKind::SourceFolder, "Source folders"}};

} // namespace

void frmConShell::viewResultFile(const std::string& path) {
    RunViewerWindow(m_state, m_prompter, this, {path});
    refreshPanel();
}

void frmConShell::viewWordList(const std::string& path) {
    RunWordFrequency(m_state, m_prompter, FrequencyWindowMode::Viewing, this, path);
    refreshPanel();
}

void frmConShell::takeSources(const std::optional<std::string>& panelText) {
    if (!panelText)
        return;
    m_filesText->setText(toQt(*panelText));
    if (!m_state.SourceIsFileList && !m_state.SettingsPath.empty())
        RememberRecent(m_state.SettingsPath, RecentKind::SourceFolder, m_state.SourceDirectory);
}

void frmConShell::takeDroppedPaths(const std::vector<std::string>& paths) {
    if (paths.size() == 1 && isFileNamed(paths.front(), ".dmp")) {
        viewResultFile(paths.front());
        return;
    }
    if (paths.size() == 1 && isFileNamed(paths.front(), ".lst")) {
        viewWordList(paths.front());
        return;
    }
    const std::optional<std::string> text = files::TakeDroppedSources(m_state, paths);
    if (!text)
        m_prompter.tell(msg::NothingToTakeFromDrop());
    takeSources(text);
    refreshPanel();
}

void frmConShell::dragEnterEvent(QDragEnterEvent* event) {
    if (!localPaths(event->mimeData()).empty())
        event->acceptProposedAction();
}

void frmConShell::dropEvent(QDropEvent* event) {
    const std::vector<std::string> paths = localPaths(event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    takeDroppedPaths(paths);
}

void frmConShell::fillRecentMenu(QMenu* menu) {
    menu->clear();
    int number = 0;
    for (const RecentGroup& group : kRecentGroups) {
        const std::vector<std::string> paths = m_state.SettingsPath.empty()
                                                   ? std::vector<std::string>()
                                                   : RecentPaths(m_state.SettingsPath, group.kind);
        if (paths.empty())
            continue;
        menu->addSection(tr(group.title));
        for (const std::string& path : paths) {
            const QString shown = group.kind == RecentKind::SourceFolder
                                      ? pathToQt(path)
                                      : QFileInfo(pathToQt(path)).fileName();
            // The first nine get a digit to reach them from the keyboard.
            const QString caption =
                ++number <= 9 ? QString("&%1 %2").arg(number).arg(shown) : shown;
            QAction* item = menu->addAction(caption);
            item->setObjectName(QString("mnuRecent%1").arg(number));
            item->setToolTip(pathToQt(path));
            item->setStatusTip(pathToQt(path));
            const RecentKind kind = group.kind;
            connect(item, &QAction::triggered, this,
                    [this, kind, path] { openRecent(kind, path); });
        }
    }
    if (number == 0)
        menu->addAction(tr("(no recent files yet)"))->setEnabled(false);
}

void frmConShell::openRecent(RecentKind kind, const std::string& path) {
    const bool folder = kind == RecentKind::SourceFolder;
    if (!fileIsPresent(path) || isDirectory(path) != folder) {
        m_prompter.tell(msg::RecentFileGone(utf8ToCp1252(folder ? path : FileNameOf(path))));
        ForgetRecent(m_state.SettingsPath, kind, path);
        return;
    }
    if (kind == RecentKind::ResultFile)
        viewResultFile(path);
    else if (kind == RecentKind::WordList)
        viewWordList(path);
    else
        takeDroppedPaths({path});
}

} // namespace lexmora::ui
