// The concordance plot window: the worked example's measures over the source selection, the
// x mapping at a file's first and last word, marks merged on a pixel, the row orders, a click
// that hands the viewer the hit under the mouse, the pictures saved and printed, and the copied
// command line, run by the shell, giving the same measures.
#include "ui/plot_window.h"

#include "analysis/dispersion_svg.h"
#include "codes/program_start.h"
#include "core/program_location.h"
#include "ui/frmViewScreen.h"
#include "ui/plot_widget.h"
#include "ui/viewer_screen_qt.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QScrollArea>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <fstream>
#include <functional>
#include <numeric>

using namespace lexmora;

namespace {

std::pair<int, QByteArray> run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), process.readAllStandardOutput()};
}

void saveShot(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("LEXMORA_SCREENSHOT_DIR");
    if (!dir.isEmpty() && QDir().mkpath(dir))
        window->grab().save(dir + "/" + name + ".png");
}

struct Capture : Clipboard {
    void setText(const std::string& text) override { line = text; }
    void setUtf8Text(const std::string& text) override { line = text; }
    std::string line;
};

// `hits` times "zebra", then "cat" up to `words` words.
std::string text(int words, int hits) {
    std::string out;
    for (int i = 0; i < words; ++i)
        out += i < hits ? "zebra " : "cat ";
    return out + "\r\n";
}

// Five parts of 9, 10, 10, 10 and 11 words with 1 to 5 hits, searched for "zebra".
struct WorkedExample {
    QTemporaryDir dir;
    QString prog, texts;
    std::string result;
    ProgramState state;

    WorkedExample() {
        prog = dir.filePath("prog");
        texts = dir.filePath("texts");
        for (const QString& sub : {prog, texts, dir.filePath("out")})
            QDir().mkpath(sub);
        const int words[] = {9, 10, 10, 10, 11};
        for (int i = 0; i < 5; ++i)
            std::ofstream(dir.filePath(QString("texts/%1.txt").arg(QChar('a' + i))).toStdString(),
                          std::ios::binary)
                << text(words[i], i + 1);
        const auto searched = run(cli(), {"--home", prog, "search", "--source", texts, "--save",
                                          dir.filePath("out"), "--quiet", "zebra"});
        QVERIFY(searched.first == 0);
        const QStringList dumps = QDir(dir.filePath("out")).entryList({"*.dmp", "dumpfile.*"});
        QVERIFY(dumps.size() == 1);
        result = dir.filePath("out/" + dumps.front()).toStdString();
        SilentPrompter quiet;
        StartProgram(state, LocateProgramFrom(LEXMORA_BIN_DIR, prog.toStdString()), quiet);
        state.SourceDirectory = texts.toStdString();
        state.SourceFiles.clear();
        state.AllFilesInFolder = true;
        state.SourceFileType = "*.*";
    }
    static QString cli() { return QString(LEXMORA_BIN_DIR) + "/lexmora-cli"; }
};

// Files with the given words, one keyword with the given places per file.
DispersionData madeData(const std::vector<std::pair<std::string, std::int64_t>>& files,
                        const std::vector<std::vector<std::uint32_t>>& places) {
    DispersionData data;
    for (const auto& [name, words] : files)
        data.files.push_back({name, "/nowhere/" + name, words});
    data.keywords.push_back({"zebra", places});
    return data;
}

} // namespace

class PlotWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void workedExampleMeasuresClickAndCommandLine() {
        WorkedExample example;
        SilentPrompter prompter;
        std::vector<std::int64_t> shown, detailed;
        ui::PlotHooks hooks;
        hooks.goToHit = [&](std::int64_t hit) {
            shown.push_back(hit);
            return true;
        };
        hooks.showDetails = [&](std::int64_t hit) {
            detailed.push_back(hit);
            return true;
        };
        ui::PlotWindow window(example.state, prompter, ui::PlotSource{example.result, std::nullopt},
                              hooks);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // The source selection comes first: its files are the parts.
        QCOMPARE(window.partsBox()->count(), 2);
        QVERIFY(window.start());
        QVERIFY(prompter.shown.empty());
        const DispersionData& data = *window.data();
        QCOMPARE(data.files.size(), std::size_t{5});
        QVERIFY(window.notesText().isEmpty());
        const QString line = ui::PlotMeasuresLine(data, 0);
        QCOMPARE(line, QString("zebra: 15 hits, range 5 of 5 files (100.0%), Juilland's D "
                               "0.785150, DP 0.180000, DPnorm 0.219512"));
        const DispersionMeasures m = MeasureKeyword(data, data.keywords[0]);
        QVERIFY(std::abs(*m.dpNorm - 0.2195122) < 1e-7);
        QVERIFY(std::abs(*m.juillandD - 0.785150) < 1e-6);

        // The last file's first hit is hit 11 (a has 1, b 2, c 3, d 4 before it).
        ui::DispersionPlot* plot = window.plot();
        const auto& marks = plot->marksOf(4, 0);
        QVERIFY(!marks.empty());
        const QPoint at = plot->markCentre(4, 0, marks.front().x);
        QTest::mouseClick(plot, Qt::LeftButton, {}, at);
        QCOMPARE(shown, std::vector<std::int64_t>{11});
        QVERIFY(window.statusText().contains("zebra"));
        const auto hit = plot->hitAt(at);
        QVERIFY(hit.has_value());
        QVERIFY(window.lineOf(*hit).contains("zebra zebra"));
        QTest::mouseDClick(plot, Qt::LeftButton, {}, at);
        QCOMPARE(detailed.back(), std::int64_t{11});
        // Every place of every file comes back to its own hit, 1 to 15 in order.
        std::vector<std::int64_t> numbers;
        for (std::size_t f = 0; f < 5; ++f)
            for (std::size_t p = 0; p < data.keywords[0].places[f].size(); ++p)
                numbers.push_back(*window.hitNumberOf({0, f, p, 1}));
        std::vector<std::int64_t> expected(15);
        std::iota(expected.begin(), expected.end(), 1);
        QCOMPARE(numbers, expected);
        saveShot(&window, "plot_window_worked_example");

        // The copied line, replayed, gives the same measures.
        Capture capture;
        window.setClipboard(&capture);
        window.copyCommandLine();
        QVERIFY(capture.line.find(" plot ") != std::string::npos);
        const auto replayed =
            run("/bin/sh", {"-c", QString::fromStdString(capture.line) + " --format tsv"});
        QCOMPARE(replayed.first, 0);
        const QStringList rows = QString::fromUtf8(replayed.second).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], QString("keyword\thits\tfiles\trange\tjuilland_D\tDP\tDPnorm"));
        const QStringList cells = rows[1].split('\t');
        QCOMPARE(cells.mid(0, 4), QStringList({"zebra", "15", "5", "5"}));
        QVERIFY(std::abs(cells[4].toDouble() - *m.juillandD) < 1e-5);
        QVERIFY(std::abs(cells[5].toDouble() - *m.dp) < 1e-5);
        QVERIFY(std::abs(cells[6].toDouble() - *m.dpNorm) < 1e-5);
    }

    void theLogsFilesAreSaidToLeaveOutFilesWithoutHits() {
        WorkedExample example;
        std::ofstream((example.texts + "/f.txt").toStdString(), std::ios::binary) << text(10, 0);
        SilentPrompter prompter;
        ui::PlotWindow window(example.state, prompter, ui::PlotSource{example.result, std::nullopt},
                              {});
        window.partsBox()->setCurrentIndex(1);
        QVERIFY(window.start());
        QCOMPARE(window.data()->files.size(), std::size_t{5});
        QVERIFY(window.notesText().contains("files without hits"));
        QVERIFY(window.commandLine().find("--corpus") == std::string::npos);
        window.partsBox()->setCurrentIndex(0); // the selection: the file without hits counts
        QVERIFY(window.start());
        QCOMPARE(window.data()->files.size(), std::size_t{6});
        QVERIFY(window.commandLine().find("--corpus") != std::string::npos);
    }

    void marksAtTheFirstAndLastWordAndMergedOnAPixel() {
        struct Case {
            std::int64_t words;
            std::vector<std::uint32_t> places;
            std::vector<PlotMark> marks; // bar of 490 pixels
        };
        const Case cases[] = {
            {1000, {0, 999}, {{0, 1}, {489, 1}}},               // the first and last word
            {490, {0, 1, 489}, {{0, 1}, {1, 1}, {489, 1}}},     // a pixel a word
            {1000, {500, 501, 502, 999}, {{245, 3}, {489, 1}}}, // three on one pixel
            {1, {0}, {{0, 1}}},                                 // a one-word file
        };
        for (const Case& c : cases) {
            ui::DispersionPlot plot;
            plot.setFitWidth(885); // bars of 885 - 385 - 10 = 490 pixels
            plot.setData(
                std::make_shared<const DispersionData>(madeData({{"a.txt", c.words}}, {c.places})));
            QCOMPARE(plot.barWidth(), 490);
            const auto& marks = plot.marksOf(0, 0);
            QCOMPARE(marks.size(), c.marks.size());
            for (std::size_t i = 0; i < marks.size(); ++i) {
                QCOMPARE(marks[i].x, c.marks[i].x);
                QCOMPARE(marks[i].hits, c.marks[i].hits);
                // The mark under the mouse is its first hit, with the others on its pixel.
                const auto hit = plot.hitAt(plot.markCentre(0, 0, marks[i].x));
                QVERIFY(hit.has_value());
                QCOMPARE(hit->hitsOnPixel, c.marks[i].hits);
                QCOMPARE(MarkPixel(c.places[hit->place], c.words, 490), marks[i].x);
                QVERIFY(hit->place == 0 ||
                        MarkPixel(c.places[hit->place - 1], c.words, 490) < marks[i].x);
            }
        }
        // A shorter file has a shorter bar: its last word at its own bar's end.
        ui::DispersionPlot plot;
        plot.setFitWidth(885);
        plot.setData(std::make_shared<const DispersionData>(
            madeData({{"long", 1000}, {"short", 500}}, {{999}, {499}})));
        QCOMPARE(plot.barOf(1), 245);
        QCOMPARE(plot.marksOf(1, 0).front().x, 244);
        QVERIFY(!plot.hitAt(plot.markCentre(1, 0, 244) + QPoint(5, 0)).has_value());
    }

    void rowsSortByFileOrderHitsRateAndName() {
        // b: 5 hits in 100 words (50 per 1,000), a: 2 in 10 (200), c: 6 in 1,000 (6),
        // D: 1 in 0 words (no rate: last).
        const DispersionData data = madeData({{"b", 100}, {"a", 10}, {"c", 1000}, {"D", 0}},
                                             {{1, 2, 3, 4, 5}, {1, 2}, {1, 2, 3, 4, 5, 6}, {0}});
        struct Case {
            ui::PlotOrder order;
            std::vector<std::size_t> rows;
        };
        const Case cases[] = {{ui::PlotOrder::FileOrder, {0, 1, 2, 3}},
                              {ui::PlotOrder::Hits, {2, 0, 1, 3}},
                              {ui::PlotOrder::PerThousand, {1, 0, 2, 3}},
                              {ui::PlotOrder::Name, {1, 0, 2, 3}}};
        for (const Case& c : cases)
            QCOMPARE(ui::PlotRowOrder(data, c.order), c.rows);
        // The SVG of the rows as shown: the same files and places, in that order.
        const DispersionData reordered = ui::ReorderedData(data, {2, 0, 1, 3});
        QCOMPARE(reordered.files[0].name, std::string("c"));
        QCOMPARE(reordered.keywords[0].places[0].size(), std::size_t{6});
        QCOMPARE(reordered.keywords[0].places[3], std::vector<std::uint32_t>{0});
    }

    void savesPngSvgAndPdf() {
        WorkedExample example;
        SilentPrompter prompter;
        ui::PlotWindow window(example.state, prompter, ui::PlotSource{example.result, std::nullopt},
                              {});
        window.resize(900, 500);
        QVERIFY(window.start());
        window.setOrder(ui::PlotOrder::Hits);
        const QString svg = example.dir.filePath("plot.svg");
        QVERIFY(window.savePicture({svg.toStdString(), ui::PictureFormat::Svg}));
        QFile saved(svg);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const std::string expected =
            DispersionSvg(ui::ReorderedData(*window.data(), window.plot()->rows()),
                          window.plot()->pictureWidth());
        QCOMPARE(saved.readAll().toStdString(), expected);
        const QString png = example.dir.filePath("plot.png");
        QVERIFY(window.savePicture({png.toStdString(), ui::PictureFormat::Png}));
        QCOMPARE(QImage(png).size(), window.plot()->size());
        // An existing picture is kept when the user says No.
        ScriptedPrompter no({Answer::No});
        ui::PlotWindow other(example.state, no, ui::PlotSource{example.result, std::nullopt}, {});
        QVERIFY(other.start());
        QVERIFY(!other.savePicture({png.toStdString(), ui::PictureFormat::Svg}));
        QCOMPARE(QImage(png).size(), window.plot()->size());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = example.dir.filePath("plot.pdf");
        printer.setOutputFileName(pdf);
        QVERIFY(window.printTo(printer));
        QFile printed(pdf);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QVERIFY(printed.read(4) == "%PDF");
    }

    void theViewersMenuOpensThePlotAndAClickShowsTheHit() {
        WorkedExample example;
        SilentPrompter prompter;
        ui::frmViewScreen screen(example.state, prompter);
        screen.prepareForViewing(4);
        screen.show();
        ui::QtViewerScreen port(screen, example.state, &prompter);
        auto viewer = ResultViewer::open(example.result, prompter);
        QVERIFY(viewer.ok());
        port.showFile(*viewer, 0, 1);
        example.state.TopPosition = 2;
        port.drawPage(*viewer, example.state);
        // The menu item posts the viewer's command; the loop hands it to the screen.
        screen.findChild<QAction*>("mnuPlot")->trigger();
        QCOMPARE(screen.commands().pending<ViewerMenuCommand>(),
                 std::optional<ViewerMenuCommand>(ViewerMenuCommand{ViewerMenu::Plot}));
        screen.commands().clear();
        port.openPlot(*viewer);
        ui::PlotWindow* window = port.plotWindow();
        QVERIFY(window != nullptr && window->data() != nullptr);
        // The fourth file's last hit is hit 10: its line becomes the viewer's current line.
        ui::DispersionPlot* plot = window->plot();
        const QPoint at = plot->markCentre(3, 0, plot->marksOf(3, 0).back().x);
        QTest::mouseClick(plot, Qt::LeftButton, {}, at);
        const int row = screen.lines()->currentRow();
        QVERIFY(row >= 0);
        QCOMPARE(screen.lines()->itemData(static_cast<std::size_t>(row)), std::int64_t{11});
        QTest::mouseDClick(plot, Qt::LeftButton, {}, at);
        QCOMPARE(screen.commands().pending<DetailsFlag>(),
                 std::optional<DetailsFlag>(DetailsFlag{row}));
        // A deleted hit is not shown: the window says so and the page stays.
        ScriptedPrompter yes({Answer::Yes});
        viewer->DeleteSelected({11}, yes);
        QTest::mouseClick(plot, Qt::LeftButton, {}, at);
        QVERIFY(window->statusText().contains("not among the lines"));
    }

    void zoomWidensTheBarsAndCopiesThePicture() {
        WorkedExample example;
        SilentPrompter prompter;
        ui::PlotWindow window(example.state, prompter, ui::PlotSource{example.result, std::nullopt},
                              {});
        window.resize(900, 500);
        window.show();
        QVERIFY(window.start());
        ui::DispersionPlot* plot = window.plot();
        const int bar = plot->barWidth();
        const int last = plot->marksOf(4, 0).back().x;
        window.setZoom(200);
        QCOMPARE(plot->barWidth(), 2 * bar);
        // The last file's fifth hit (4 words before it of 11) moves with its bar.
        QCOMPARE(plot->marksOf(4, 0).back().x, MarkPixel(4, 11, plot->barOf(4)));
        QVERIFY(plot->marksOf(4, 0).back().x > last);
        // Ctrl+wheel one notch in: the next step of the slider.
        auto* slider = window.findChild<QSlider*>("sldZoom");
        const int step = slider->value();
        QWheelEvent wheel(QPointF(400, 100), plot->mapToGlobal(QPointF(400, 100)), QPoint(),
                          QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(plot, &wheel);
        QCOMPARE(slider->value(), step + 1);
        window.copyPicture();
        QCOMPARE(QApplication::clipboard()->image().size(), plot->size());
    }

    void theSourceSelectionAsPartsAndTheCommandLine() {
        QTemporaryDir dir;
        QDir().mkpath(dir.filePath("t"));
        for (const char* name : {"a.txt", "b.htm"})
            std::ofstream(dir.filePath(QString("t/") + name).toStdString()) << "cat\n";
        const std::string folder = dir.filePath("t").toStdString();
        struct Case {
            const char* name;
            std::function<void(ProgramState&)> select;
            std::optional<ui::PlotCorpus> expected;
        };
        const std::vector<Case> cases = {
            {"nothing selected", [](ProgramState&) {}, std::nullopt},
            {"a file list",
             [](ProgramState& s) {
                 s.SourceIsFileList = true;
                 s.SourceFiles = {"/x/a.txt", "/y/b.txt"};
             },
             ui::PlotCorpus{{"/x/a.txt", "/y/b.txt"}, false}},
            {"a folder tree of every file",
             [&](ProgramState& s) {
                 s.SourceDirectory = folder;
                 s.AllFilesInFolder = true;
                 s.IncludeSubfolders = true;
                 s.SourceFileType = "*.*";
             },
             ui::PlotCorpus{{folder}, true}},
            {"a folder's files of one type, named one by one",
             [&](ProgramState& s) {
                 s.SourceDirectory = folder;
                 s.AllFilesInFolder = true;
                 s.SourceFileType = "*.txt";
             },
             ui::PlotCorpus{{folder + "/a.txt"}, false}},
            {"chosen files",
             [&](ProgramState& s) {
                 s.SourceDirectory = folder;
                 s.SourceFiles = {"b.htm", "a.txt"};
             },
             ui::PlotCorpus{{folder + "/b.htm", folder + "/a.txt"}, false}},
        };
        for (const Case& c : cases) {
            ProgramState state;
            SilentPrompter prompter;
            c.select(state);
            const auto corpus = ui::SourceSelectionCorpus(state, prompter);
            QVERIFY2(corpus.has_value() == c.expected.has_value(), c.name);
            if (corpus) {
                QVERIFY2(corpus->entries == c.expected->entries, c.name);
                QVERIFY2(corpus->tree == c.expected->tree, c.name);
            }
        }
        ProgramState state;
        state.ProgramFolder = "/home/me/lex";
        const std::string line =
            ui::PlotCommandLine(state, "/r/the 1.dmp", ui::PlotCorpus{{"/c/en", "/c/fr"}, true});
        QVERIFY(line.find(" --home /home/me/lex plot '/r/the 1.dmp' --corpus /c/en --corpus "
                          "/c/fr --tree --measures") != std::string::npos);
        QVERIFY(ui::PlotCommandLine(state, "/r/a.dmp", std::nullopt)
                    .ends_with(" plot /r/a.dmp --measures"));
    }
};

QTEST_MAIN(PlotWindowTest)
#include "plot_window_test.moc"
