// Start-up reading of lexmora9.ini with its defaults and fall-backs, and the exit's save step.
#include "core/settings.h"

#include "core/profile.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

namespace lexmora {
namespace {

// "/proc" refuses new files even to root, so it serves as a read-only folder in every test run.
constexpr const char* kReadOnlyFolder = "/proc";

struct Loaded {
    test::TempDir program;
    test::TempDir current;
    ProgramState state;

    void load(const std::string& ini, const std::string& tmpVariable = "") {
        if (!ini.empty())
            program.write("lexmora9.ini", ini);
        SettingsEnvironment env{program.path(), current.path(), tmpVariable};
        LoadSettings(state, env);
        ApplyStoredLanguage(state);
    }
};

TEST(LoadSettings, NoFileGivesTheDefaults) {
    Loaded l;
    l.load("");
    const ProgramState& s = l.state;
    EXPECT_EQ(s.SettingsPath, l.program.path() + "/lexmora9.ini");
    EXPECT_EQ(s.SourceDirectory, l.program.path()); // absent key: the program folder
    EXPECT_EQ(s.TargetDirectory, l.program.path());
    EXPECT_EQ(s.TempDirectory, l.program.path());
    EXPECT_EQ(s.FrequencyFilesDirectory, l.program.path());
    EXPECT_EQ(s.FileListDirectory, l.program.path());
    EXPECT_EQ(s.LeftContext, 200);
    EXPECT_EQ(s.RightContext, 200);
    EXPECT_EQ(s.LanguageName, "French");
    EXPECT_EQ(s.LanguageIndex, 1);
    EXPECT_TRUE(s.WordbreakAtApostrophe);
    EXPECT_FALSE(s.WordbreakAtHyphen);
    EXPECT_FALSE(s.AdvancedUser);
    EXPECT_TRUE(s.WriteToFiles);
    EXPECT_EQ(s.CodeMode, 1);
    EXPECT_EQ(s.ResultCode, 1);
    EXPECT_TRUE(s.Keywords.empty());
    EXPECT_EQ(s.InvalidFileExtensions, kBuiltInInvalidExtensions);
    EXPECT_EQ(s.InvalidFileNameChars, "\\?<>:*/|\"");
    EXPECT_EQ(s.SymbolChars.size(), 30u);
    EXPECT_EQ(static_cast<unsigned char>(s.SymbolChars.front()), 130);
    EXPECT_EQ(static_cast<unsigned char>(s.SymbolChars.back()), 247);
    EXPECT_FALSE(l.program.read("lexmora9.ini") != "<missing>") << "reading never creates it";
}

TEST(LoadSettings, BuiltInExtensionListIsWholeEntries) {
    const std::string list = kBuiltInInvalidExtensions;
    ASSERT_EQ(list.size() % 4, 0u);
    for (std::size_t i = 0; i < list.size(); i += 4)
        EXPECT_EQ(list[i], '.') << i;
    EXPECT_EQ(list.size() / 4, 113u);
}

TEST(LoadSettings, ContextWidths) {
    struct Case {
        const char* stored;
        int expected;
    } cases[] = {{"80", 80},   {"0", 200},   {"abc", 200},   {"", 200},   {"-5", 200},
                 {"550", 550}, {"600", 550}, {"40000", 200}, {"12x", 12}, {"99999999999", 200}};
    for (const Case& c : cases) {
        Loaded l;
        l.load(std::string("[Defaults]\r\nLeftContext=") + c.stored +
               "\r\nRightContext=" + c.stored + "\r\n");
        EXPECT_EQ(l.state.LeftContext, c.expected) << c.stored;
        EXPECT_EQ(l.state.RightContext, c.expected) << c.stored;
    }
}

TEST(LoadSettings, UserLevelAndWriteToFiles) {
    struct Case {
        const char* ini;
        bool advanced;
        bool writeToFiles;
    } cases[] = {
        {"UserLevel=1", true, true},     {"UserLevel=2", false, true},
        {"UserLevel=x", false, true},    {"WriteToFiles=0", false, false},
        {"WriteToFiles=7", false, true}, {"WriteToFiles=no", false, false}, // not a number: 0
    };
    for (const Case& c : cases) {
        Loaded l;
        l.load(std::string("[Defaults]\r\n") + c.ini + "\r\n");
        EXPECT_EQ(l.state.AdvancedUser, c.advanced) << c.ini;
        EXPECT_EQ(l.state.WriteToFiles, c.writeToFiles) << c.ini;
    }
}

TEST(LoadSettings, FolderFallbacks) {
    Loaded l;
    const std::string source = l.current.makeFolder("corpus");
    const std::string missing = l.current.path() + "/gone";
    l.load("[Defaults]\r\nSourceDirectory=" + missing + "\r\nTargetDirectory=" + kReadOnlyFolder +
           "\r\nTempDirectory=" + l.current.path() + "/new/tmp\r\nFrequencyFilesDirectory=" +
           missing + "\r\nFileListDirectory=" + missing + "\r\n");
    EXPECT_EQ(l.state.SourceDirectory, l.current.path()); // missing: the current folder
    EXPECT_EQ(l.state.TempDirectory, l.current.path() + "/new/tmp");
    EXPECT_TRUE(test::readFile(l.state.TempDirectory) == "<missing>" ||
                !l.state.TempDirectory.empty());
    EXPECT_EQ(l.state.TargetDirectory, l.state.TempDirectory); // read-only: the temp folder
    EXPECT_EQ(l.state.FrequencyFilesDirectory, l.state.TargetDirectory);
    EXPECT_EQ(l.state.FileListDirectory, l.program.path());

    Loaded ok;
    ok.load("[Defaults]\r\nSourceDirectory=" + source + "\r\nSourceDirectory=/elsewhere\r\n");
    EXPECT_EQ(ok.state.SourceDirectory, source); // the first of duplicate keys wins
}

TEST(LoadSettings, EmptyTempDirectoryUsesTheVariableThenTmp) {
    Loaded withVariable;
    const std::string variable = withVariable.current.path() + "/fromvar";
    withVariable.load("[Defaults]\r\nTempDirectory=\r\n", variable);
    EXPECT_EQ(withVariable.state.TempDirectory, variable);
    EXPECT_EQ(test::readFile(variable + "/x"), "<missing>");
    Loaded without;
    without.load("[Defaults]\r\nTempDirectory=\r\n");
    EXPECT_EQ(without.state.TempDirectory, "/tmp");
}

TEST(LoadSettings, InvalidExtensionsAreAppended) {
    Loaded l;
    l.load("[Defaults]\r\nInvalidFileExtensions=.XYZ.AB \r\n");
    EXPECT_EQ(l.state.InvalidFileExtensions,
              std::string(kBuiltInInvalidExtensions) + ".XYZ.AB"); // values are trimmed
}

TEST(LoadSettings, StoredValuesAreCutAt254Characters) {
    Loaded l;
    l.load("[Defaults]\r\nInvalidFileExtensions=" + std::string(300, 'x') + "\r\n");
    EXPECT_EQ(l.state.InvalidFileExtensions.size(),
              std::string(kBuiltInInvalidExtensions).size() + 254);
}

TEST(LoadSettings, BrokenFileStillStarts) {
    Loaded l;
    static constexpr char broken[] = "garbage\0\xff\r\n[Defaults\r\n=\r\nLeftContext\r\n"
                                     "[Defaults]\r\nRightContext=70\r\n";
    l.load(std::string(broken, sizeof broken - 1));
    EXPECT_EQ(l.state.LeftContext, 200);
    EXPECT_EQ(l.state.RightContext, 70);
}

TEST(Language, StoredNames) {
    struct Case {
        const char* stored;
        int index;
        const char* caption;
        bool apostrophe;
    } cases[] = {{"German", 2, "German", false},
                 {"English", 0, "English", false},
                 {"Spanish", 4, "Spanish", true},
                 {"", 1, "French", true},
                 {"Klingon", 1, "Klingon", true}};
    for (const Case& c : cases) {
        Loaded l;
        l.load(std::string("[Defaults]\r\nLanguage=") + c.stored + "\r\n");
        EXPECT_EQ(l.state.LanguageIndex, c.index) << c.stored;
        EXPECT_EQ(l.state.LanguageName, c.caption) << c.stored;
        EXPECT_EQ(l.state.WordbreakAtApostrophe, c.apostrophe) << c.stored;
    }
    ProgramState s;
    ApplyLanguage(s, LanguageId::German);
    EXPECT_FALSE(s.WordbreakAtApostrophe);
    ApplyLanguage(s, LanguageId::Italian);
    EXPECT_TRUE(s.WordbreakAtApostrophe);
}

TEST(SaveChangedSettings, AsksOnceAndWritesOnlyWhatChanged) {
    Loaded l;
    l.load("; mine\r\n[Defaults]\r\nLanguage=German\r\n");
    const StartValues start = TakeStartValues(l.state);

    SilentPrompter nobody; // no changes: no question
    EXPECT_TRUE(SaveChangedSettings(l.state, start, nobody).empty());
    EXPECT_TRUE(nobody.shown.empty());

    l.state.AdvancedUser = true;
    ScriptedPrompter no({Answer::No});
    EXPECT_TRUE(SaveChangedSettings(l.state, start, no).empty());
    EXPECT_EQ(l.program.read("lexmora9.ini"), "; mine\r\n[Defaults]\r\nLanguage=German\r\n");

    ScriptedPrompter yes({Answer::Yes});
    EXPECT_EQ(SaveChangedSettings(l.state, start, yes), std::vector<std::string>{"UserLevel"});
    ASSERT_EQ(yes.shown.size(), 1u);
    EXPECT_EQ(yes.shown[0].title, "Save settings?");
    EXPECT_EQ(yes.shown[0].text, "Some of the default settings have been changed.\r\n"
                                 "Do you wish to save the changes?");
    EXPECT_EQ(l.program.read("lexmora9.ini"),
              "; mine\r\n[Defaults]\r\nLanguage=German\r\nUserLevel=1\r\n");

    l.state.LeftContext = 80;
    l.state.RightContext = 90;
    ApplyLanguage(l.state, LanguageId::Italian);
    ScriptedPrompter once({Answer::Yes});
    EXPECT_EQ(SaveChangedSettings(l.state, start, once),
              (std::vector<std::string>{"LeftContext", "RightContext", "Language", "UserLevel"}));
    EXPECT_EQ(once.shown.size(), 1u);
    EXPECT_EQ(l.program.read("lexmora9.ini"), "; mine\r\n[Defaults]\r\nLanguage=Italian\r\n"
                                              "UserLevel=1\r\nLeftContext=80\r\n"
                                              "RightContext=90\r\n");
}

TEST(SetSetting, ChecksValuesBeforeWriting) {
    Loaded l;
    l.load("");
    struct Case {
        const char* key;
        std::string value;
        bool accepted;
    } cases[] = {
        {"LeftContext", "80", true},
        {"leftcontext", "0", false},
        {"RightContext", "551", false},
        {"RightContext", "12a", false},
        {"Language", "german", true},
        {"Language", "Klingon", false},
        {"UserLevel", "2", false},
        {"WriteToFiles", "0", true},
        {"TargetDirectory", kReadOnlyFolder, false},
        {"SourceDirectory", "/no/such/folder", false},
        {"SourceDirectory", l.current.path(), true},
        {"InvalidFileExtensions", ".XYZ", true},
        {"InvalidFileExtensions", "XYZ.", false},
        {"Colour", "blue", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SetSetting(l.state, c.key, c.value).ok(), c.accepted) << c.key << "=" << c.value;
    EXPECT_EQ(l.program.read("lexmora9.ini"),
              "[Defaults]\r\nLeftContext=80\r\nLanguage=German\r\nWriteToFiles=0\r\n"
              "SourceDirectory=" +
                  l.current.path() + "\r\nInvalidFileExtensions=.XYZ\r\n");
}

} // namespace
} // namespace lexmora
