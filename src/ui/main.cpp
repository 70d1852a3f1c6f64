// lexmora: the desktop program. Finds the program folder, reads the settings and opens the main
// window.
#include "codes/code_tables.h"
#include "codes/program_start.h"
#include "core/heap_pages.h"
#include "core/program_location.h"
#include "core/settings.h"
#include "core/start_up.h"
#include "ui/frmConShell.h"
#include "ui/messages.h"
#include "ui/qt_prompter.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLockFile>
#include <QScreen>

using namespace lexmora;

namespace {

// A second copy is allowed, but only after the user agrees.
bool mayStartAnotherCopy(QLockFile& lock, Prompter& prompter) {
    lock.setStaleLockTime(0);
    if (lock.tryLock(0))
        return true;
    return prompter.ask(ui::msg::AnotherCopyRunning()) == Answer::Yes;
}

} // namespace

int main(int argc, char** argv) {
    KeepHeapInLargePages();
    QApplication app(argc, argv);
    QApplication::setApplicationName("KWIC-LEXMORA");
    QApplication::setApplicationVersion(PROJECT_VERSION_TEXT);
    // The installed desktop entry and icon (a build folder has neither and keeps the default).
    QGuiApplication::setDesktopFileName("io.github.lexmora.Lexmora");
    QApplication::setWindowIcon(QIcon::fromTheme("lexmora"));

    std::optional<std::string> home;
    const QStringList args = QApplication::arguments();
    const auto homeAt = args.indexOf("--home");
    if (homeAt >= 0 && homeAt + 1 < args.size())
        home = QFile::encodeName(args[homeAt + 1]).toStdString();

    ui::QtPrompter prompter;
    QLockFile lock(QDir::tempPath() + "/kwic-lexmora.lock");
    if (!mayStartAnotherCopy(lock, prompter))
        return 0;

    const ProgramLocation location = LocateProgram(home);
    ProgramState state;
    StartProgram(state, location, prompter);
    StartValues start = TakeStartValues(state);

    ui::frmConShell window(state, start, prompter);
    window.show();
    const QScreen* screen = QApplication::primaryScreen();
    const bool tallScreen = screen == nullptr || screen->size().height() >= 600;
    if (const auto warning = CheckProgramDrive(location.installFolder, tallScreen))
        prompter.tell(*warning);
    return QApplication::exec();
}
