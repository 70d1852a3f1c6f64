// Pictures of the word-frequency window for a look by eye (run under xvfb-run):
//   freq_window_shots DIR CORPUS TEMP OUT
// DIR/count_running.png: the count of CORPUS (a folder tree, 58 files) half-way through its
// files, then abandoned; DIR/viewer_by_frequency.png: the list of a finished count sorted by
// frequency.
#include "core/program_state.h"
#include "core/settings.h"
#include "ui/frmViewCount.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>

#include <cstdio>

using namespace lexmora;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: freq_window_shots DIR CORPUS TEMP OUT\n");
        return 2;
    }
    const QString dir = argv[1];
    ProgramState state;
    ApplyLanguage(state, LanguageId::English);
    state.SourceDirectory = argv[2];
    state.TempDirectory = argv[3];
    state.FrequencyFilesDirectory = argv[4];
    state.IncludeSubfolders = true;
    state.SourceFileType = "*";
    state.SourceFileCount = 58; // as the chooser leaves it for the English part of the corpus
    ScriptedPrompter abandon({Answer::Yes});
    {
        ui::frmViewCount window(state, abandon);
        window.resize(640, 420);
        window.show();
        window.ShowSelection();
        window.findChild<QLineEdit*>("txtUserInput")->setText("shots");
        bool shot = false;
        window.onYieldForTest = [&](ProgramState&) {
            // Half-way through the files of the scatter pass.
            auto* fileNumber = window.findChild<QLabel*>("lblFileCount");
            auto* fileTotal = window.findChild<QLabel*>("lblFileTotal");
            if (!shot && fileTotal->text() == "58" && fileNumber->text().toInt() >= 29 &&
                window.findChild<QProgressBar*>("shpProgressBar")->value() > 400) {
                shot = true;
                QApplication::processEvents();
                window.grab().save(dir + "/count_running.png");
                window.pressExit();
            }
        };
        window.pressStart();
    }
    SilentPrompter prompter;
    state.SourceDirectory = LEXMORA_SAMPLES;
    state.IncludeSubfolders = false;
    state.AllFilesInFolder = true;
    state.SourceFileType = "*.txt";
    state.SourceFileCount = 6;
    ui::frmViewCount window(state, prompter);
    window.resize(640, 420);
    window.show();
    window.findChild<QLineEdit*>("txtUserInput")->setText("samples");
    window.pressStart();
    window.grab().save(dir + "/count_results.png");
    window.pressStart(); // Continue: the viewer
    window.post(FrequencySortCommand{FrequencySort::Descending});
    QApplication::processEvents();
    window.grab().save(dir + "/viewer_by_frequency.png");
    return 0;
}
