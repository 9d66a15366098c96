// --help and --version answer on the terminal; anything else starts the program.
#include "app/command_line.h"
#include "test_env.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace {

struct Answer {
    std::optional<int> code;
    std::string printed;
};

Answer run(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "glimra");
    std::ostringstream out;
    const auto code =
        app::runTerminalOption(static_cast<int>(arguments.size()), arguments.data(), out);
    return {code, out.str()};
}

TEST(TerminalOptions, VersionAndHelpAnswerAndEverythingElseStartsTheProgram) {
    for (const char* option : {"--version", "-V"}) {
        const Answer a = run({option, "/tmp"});
        EXPECT_EQ(a.code, 0) << option;
        EXPECT_EQ(a.printed, "Glimra Version 2.0\n") << option;
    }
    for (const char* option : {"--help", "-h"}) {
        const Answer a = run({option});
        EXPECT_EQ(a.code, 0) << option;
        EXPECT_EQ(a.printed.rfind("Usage: glimra [DIRECTORY]\n", 0), 0u) << option;
    }
    // Only the first argument counts: a folder first means the program starts there.
    const std::vector<std::vector<const char*>> starts{{}, {"/tmp"}, {"/tmp", "--version"}};
    for (const auto& arguments : starts) {
        const Answer a = run(arguments);
        EXPECT_FALSE(a.code);
        EXPECT_TRUE(a.printed.empty());
    }
}

TEST(TerminalOptions, HelpNamesTheHelpFileInUseAndSaysWhenItIsMissing) {
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    test::writeIni("[Options]\nExecDir=" + data.path().toUtf8() + "\n");
    const std::string line = "Help file: " + data.path().toStdString() + "/Glim.hlp";

    EXPECT_NE(run({"--help"}).printed.find(line + " (missing)\n"), std::string::npos);
    test::writeFile(data.filePath(QStringLiteral("Glim.hlp")), "<!-- topic contents: x -->\n");
    EXPECT_NE(run({"--help"}).printed.find(line + "\n"), std::string::npos);
    EXPECT_NE(run({"--help"}).printed.find("Settings:  " + test::iniPath().toStdString()),
              std::string::npos);
    test::writeIni({});
}

} // namespace
