// Which viewer a file goes to, the messages on the way, and the read-only protection.
#include "core/view_file.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace lexmora {
namespace {

// Records what it was asked to do, and whether a file was writable while an external viewer
// was waited for; the external program "runs" only in the record.
class RecordingViewer : public FileViewer {
public:
    void openTextViewer(const std::string& path, bool readOnly) override {
        calls.push_back("text " + path + (readOnly ? " read-only" : ""));
    }
    void openHtmlViewer(const std::string& path, const std::string& caption) override {
        calls.push_back("html " + path + " [" + caption + "]");
    }
    bool runExternal(const std::vector<std::string>& argv, bool wait) override {
        std::string call = wait ? "wait" : "start";
        for (const std::string& arg : argv)
            call += " " + arg;
        struct stat st {};
        if (wait && argv.size() > 1 && ::stat(argv[1].c_str(), &st) == 0 && S_ISREG(st.st_mode))
            call += (st.st_mode & 0222) ? " (writable)" : " (read-only)";
        calls.push_back(call);
        return starts;
    }
    std::string findProgram(const std::string& name) override {
        return installed ? "/usr/bin/" + name : std::string();
    }
    std::vector<std::string> calls;
    bool installed = true;
    bool starts = true;
};

TEST(ViewFileChoice, ByExtension) {
    struct Case {
        const char* extension;
        ViewerChoice choice;
    };
    const Case cases[] = {
        {".txt", ViewerChoice::TextWindow},   {".*", ViewerChoice::TextWindow},
        {".log", ViewerChoice::TextWindow},   {".dmp", ViewerChoice::TextWindow},
        {".sum", ViewerChoice::TextWindow},   {".ansi", ViewerChoice::TextWindow},
        {".ascii", ViewerChoice::TextWindow}, {".htm", ViewerChoice::AskHtml},
        {".html", ViewerChoice::AskHtml},     {".xml", ViewerChoice::AskHtml},
        {".doc", ViewerChoice::External},     {".cnc", ViewerChoice::ByContent},
        {"", ViewerChoice::ByContent},        {".text", ViewerChoice::ByContent},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ViewerForExtension(c.extension), c.choice) << c.extension;
}

class ViewFileTest : public ::testing::Test {
protected:
    ViewerUsed view(const std::string& name, const std::string& folder = "",
                    const std::string& extension = "") {
        return ViewFile(name, folder, extension, state, prompter, viewer);
    }
    test::TempDir dir;
    ProgramState state;
    ScriptedPrompter prompter{{}};
    RecordingViewer viewer;
};

TEST_F(ViewFileTest, TextFilesAndTheSizeRule) {
    const std::string small = dir.write("small.TXT", std::string(32767, 'a'));
    const std::string large = dir.write("large.txt", std::string(40000, 'a'));
    const std::string limit = dir.write("limit.log", std::string(32768, 'a'));
    EXPECT_EQ(view(small), ViewerUsed::TextWindow);
    EXPECT_EQ(view(large), ViewerUsed::External);
    EXPECT_EQ(view("limit.log", dir.path()), ViewerUsed::External);
    EXPECT_EQ(viewer.calls,
              (std::vector<std::string>{"text " + small, "start /usr/bin/xdg-open " + large,
                                        "start /usr/bin/xdg-open " + limit}));
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text, "File too large for Notepad - using Wordpad instead");
    EXPECT_EQ(prompter.shown[0].title, "Large file");
    EXPECT_EQ(prompter.shown[0].buttons, Buttons::Ok);
}

TEST_F(ViewFileTest, HtmlQuestionAndGivenExtensions) {
    const std::string page = dir.write("page.htm", "<p>x</p>");
    ScriptedPrompter yesThenNo({Answer::Yes, Answer::No});
    EXPECT_EQ(ViewFile(page, "", "", state, yesThenNo, viewer), ViewerUsed::HtmlWindow);
    EXPECT_EQ(ViewFile(page, "", "", state, yesThenNo, viewer), ViewerUsed::External);
    ASSERT_EQ(yesThenNo.shown.size(), 2u);
    EXPECT_EQ(yesThenNo.shown[0].text, "Do you wish to view file as web page?");
    EXPECT_EQ(yesThenNo.shown[0].title, " About to view HTML file");
    EXPECT_EQ(yesThenNo.shown[0].buttons, Buttons::YesNo);

    // A given extension, with or without its ".", decides instead of the name's.
    const std::string data = dir.write("notes.dat", "plain words");
    EXPECT_EQ(view(data, "", "DOC"), ViewerUsed::External);
    EXPECT_EQ(view(data, "", ".txt"), ViewerUsed::TextWindow);
    EXPECT_EQ(viewer.calls, (std::vector<std::string>{
                                "html " + page + " [page.htm  ]", "start /usr/bin/xdg-open " + page,
                                "start /usr/bin/xdg-open " + data, "text " + data}));
}

TEST_F(ViewFileTest, OtherExtensionsByContent) {
    using namespace std::string_literals;
    const std::string text = dir.write("a.cnc", "KWIC lines\r\n");
    const std::string binary = dir.write("a.bin", "\x7F"
                                                  "ELF\0\0\1"s);
    const std::string unicode = dir.write("u.xyz", "\xFF\xFEh\0i\0"s);
    const std::string bare = dir.write("README", "read me");
    EXPECT_EQ(view(text), ViewerUsed::TextWindow);
    EXPECT_EQ(view(binary), ViewerUsed::External);
    EXPECT_EQ(view(unicode), ViewerUsed::TextWindow);
    EXPECT_EQ(view(bare), ViewerUsed::TextWindow);
    EXPECT_EQ(viewer.calls,
              (std::vector<std::string>{"text " + text, "start /usr/bin/xdg-open " + binary,
                                        "text " + unicode, "text " + bare}));
    EXPECT_TRUE(prompter.shown.empty());
}

TEST_F(ViewFileTest, ReadOnlyProtectionWithoutWriteToFiles) {
    state.WriteToFiles = false;
    const std::string text = dir.write("a.txt", "x");
    const std::string doc = dir.write("a.doc", "x");
    ::chmod(doc.c_str(), 0640);
    EXPECT_EQ(view(text), ViewerUsed::TextWindow);
    EXPECT_EQ(view(doc), ViewerUsed::External);
    EXPECT_EQ(viewer.calls,
              (std::vector<std::string>{"text " + text + " read-only",
                                        "wait /usr/bin/xdg-open " + doc + " (read-only)"}));
    struct stat st {};
    ASSERT_EQ(::stat(doc.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u); // restored when the viewer closed

    state.WriteToFiles = true;
    viewer.calls.clear();
    EXPECT_EQ(view(doc), ViewerUsed::External);
    EXPECT_EQ(viewer.calls, (std::vector<std::string>{"start /usr/bin/xdg-open " + doc}));
}

TEST_F(ViewFileTest, MissingViewerMissingFileAndPatterns) {
    const std::string doc = dir.write("a.doc", "x");
    viewer.installed = false;
    EXPECT_EQ(view(doc), ViewerUsed::None);
    viewer.installed = true;
    viewer.starts = false;
    EXPECT_EQ(view(doc), ViewerUsed::None);
    viewer.starts = true;
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text, "Cannot find xdg-open to view files");
    EXPECT_EQ(prompter.shown[0].title, "Invalid Path");
    EXPECT_EQ(prompter.shown[0].icon, Icon::Exclamation);

    prompter.shown.clear();
    EXPECT_EQ(view(dir.path() + "/missing.txt"), ViewerUsed::None);
    EXPECT_EQ(view(dir.path()), ViewerUsed::None);
    ASSERT_EQ(prompter.shown.size(), 2u);
    EXPECT_EQ(prompter.shown[0].text,
              "Couldn't open " + dir.path() + "/missing.txt !\r\nNo such file or directory");
    EXPECT_EQ(prompter.shown[0].title, "Problem opening file!");

    // A pattern opens its folder: no viewer here takes a file-name pattern.
    viewer.calls.clear();
    EXPECT_EQ(view(dir.path() + "/*.txt"), ViewerUsed::External);
    EXPECT_EQ(view("le_chat_00?.dmp", dir.path()), ViewerUsed::External);
    EXPECT_EQ(viewer.calls, (std::vector<std::string>{"start /usr/bin/xdg-open " + dir.path(),
                                                      "start /usr/bin/xdg-open " + dir.path()}));
}

} // namespace
} // namespace lexmora
