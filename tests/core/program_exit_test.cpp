// Leaving the program: the settings question, then the question about this session's results.
#include "core/program_exit.h"

#include "core/settings_panel.h"
#include "core/start_up.h"
#include "support/test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace lexmora {
namespace {

namespace fs = std::filesystem;

struct Session {
    test::TempDir program;
    test::TempDir target;
    ProgramState state;
    StartValues start;

    Session() {
        LoadSettings(state, SettingsEnvironment{program.path(), program.path(), ""});
        state.TargetDirectory = target.path();
        start = TakeStartValues(state);
    }
    // A result set whose files are dated `age` before the start of the session.
    void resultSet(const std::string& base, std::chrono::seconds age) {
        for (const char* extension : {".dmp", ".log", ".sum"}) {
            const std::string path = target.write(base + extension, "x");
            const auto when = std::chrono::file_clock::from_sys(start.ProgramStart - age);
            fs::last_write_time(path, when);
        }
    }
};

TEST(ExitSequence, NoResultsAsksNothingAboutThem) {
    Session s;
    SilentPrompter prompter;
    EXPECT_EQ(RunExitSequence(s.state, s.start, prompter), ExitOutcome::Leave);
    EXPECT_TRUE(prompter.shown.empty());
}

TEST(ExitSequence, YesDeletesOnlyThisSessionsResultSets) {
    Session s;
    s.resultSet("old_001", std::chrono::hours(1));
    s.resultSet("new_001", -std::chrono::seconds(5));
    s.target.write("new_001.txt", "not a result file");
    s.state.ResultsWritten = true;
    ScriptedPrompter prompter({Answer::Yes});
    EXPECT_EQ(RunExitSequence(s.state, s.start, prompter), ExitOutcome::Leave);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(prompter.shown[0].text,
              "Do you wish to delete this session's search results file(s) in \r\n" +
                  s.target.path() + "?");
    EXPECT_EQ(prompter.shown[0].buttons, Buttons::YesNoCancel);
    for (const char* extension : {".dmp", ".log", ".sum"}) {
        EXPECT_TRUE(fs::exists(s.target.path() + "/old_001" + extension));
        EXPECT_FALSE(fs::exists(s.target.path() + "/new_001" + extension));
    }
    EXPECT_TRUE(fs::exists(s.target.path() + "/new_001.txt"));
}

TEST(ExitSequence, CancelStaysWithSettingsWrittenAndDoesNotAskAgain) {
    Session s;
    s.state.AdvancedUser = true;
    s.state.ResultsWritten = true;
    s.resultSet("new_001", -std::chrono::seconds(5));
    ScriptedPrompter first({Answer::Yes, Answer::Cancel});
    EXPECT_EQ(RunExitSequence(s.state, s.start, first), ExitOutcome::StayOpen);
    EXPECT_EQ(s.program.read("lexmora9.ini"), "[Defaults]\r\nUserLevel=1\r\n");
    EXPECT_TRUE(fs::exists(s.target.path() + "/new_001.dmp"));

    ScriptedPrompter second({Answer::No});
    EXPECT_EQ(RunExitSequence(s.state, s.start, second), ExitOutcome::Leave);
    ASSERT_EQ(second.shown.size(), 1u); // only the results question
    EXPECT_EQ(second.shown[0].title, " About to exit from program");
    EXPECT_TRUE(fs::exists(s.target.path() + "/new_001.dmp"));
}

TEST(SettingsPanel, Texts) {
    EXPECT_EQ(ContextPanelText(200, 80), "left = 200 characters / right = 80 characters");
    EXPECT_EQ(ContextPanelShortText(5, 0), "left = 5 chars. / right = 0 chars.");
    ProgramState state;
    state.SourceDirectory = "/" + std::string(59, 'a') + "z";
    EXPECT_EQ(SourcePanelText(state),
              "/" + std::string(24, 'a') + "~" + std::string(24, 'a') + "z");
    state.SourceIsFileList = true;
    EXPECT_EQ(SourcePanelText(state), "file list");
    state.MakingFileList = true;
    state.FileListDirectory = "/lists";
    EXPECT_EQ(SourcePanelText(state), "/lists");
}

TEST(StartUp, RemovableDriveWarning) {
    const Message tall = core::msg::RemovableProgramDrive("/media/usb", true);
    EXPECT_EQ(tall.text, "You have loaded KWIC-LEXMORA from drive /media/usb\r\n\r\n"
                         "To function, the program must be able to access the disk.   \r\n\r\n"
                         "If you remove the disk with the program from the drive\r\n"
                         "while the program is running, the program may crash.\r\n\r\n"
                         "If you need to use drive /media/usb for source or target files,\r\n"
                         "you should run lexmora from a hard drive.");
    EXPECT_EQ(tall.title, " Warning");
    EXPECT_EQ(tall.icon, Icon::Information);
    EXPECT_EQ(core::msg::RemovableProgramDrive("/media/usb", false).icon, Icon::None);
    test::TempDir fixed; // test folders are never on a removable disk
    EXPECT_FALSE(CheckProgramDrive(fixed.path(), true).has_value());
}

} // namespace
} // namespace lexmora
