// Where a copy finds its shipped files and keeps its settings: beside the executable in a build
// folder, under <prefix>/share/lexmora and the user's XDG folder once installed.
#include "core/program_location.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace lexmora {
namespace {

class ProgramLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_oldConfig = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("XDG_CONFIG_HOME", (m_dir.path() + "/config").c_str(), 1);
    }
    void TearDown() override {
        if (m_oldConfig)
            setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    test::TempDir m_dir;
    std::optional<std::string> m_oldConfig;
};

TEST_F(ProgramLocationTest, EachLayoutFindsItsFilesAndSettings) {
    const std::string root = m_dir.path();
    m_dir.makeFolder("build/bin/codes");
    m_dir.makeFolder("prefix/bin");
    m_dir.makeFolder("prefix/share/lexmora/codes");
    m_dir.makeFolder("loose/bin");
    const std::string config = root + "/config/lexmora";
    struct Case {
        const char* what;
        std::string exe;
        std::optional<std::string> home;
        std::string install, program;
    };
    const Case cases[] = {
        {"build folder", root + "/build/bin", {}, root + "/build/bin", root + "/build/bin"},
        {"installed", root + "/prefix/bin", {}, root + "/prefix/share/lexmora", config},
        {"installed with --home", root + "/prefix/bin", root + "/mine/",
         root + "/prefix/share/lexmora", root + "/mine"},
        {"bin without share", root + "/loose/bin", {}, root + "/loose/bin", root + "/loose/bin"},
    };
    for (const Case& c : cases) {
        const ProgramLocation location = LocateProgramFrom(c.exe, c.home);
        EXPECT_EQ(location.installFolder, c.install) << c.what;
        EXPECT_EQ(location.programFolder, c.program) << c.what;
        EXPECT_EQ(location.settingsPath, c.program + "/lexmora9.ini") << c.what;
    }
    EXPECT_EQ(test::readFile(config + "/lexmora9.ini"), "<missing>"); // made only when written
}

} // namespace
} // namespace lexmora
