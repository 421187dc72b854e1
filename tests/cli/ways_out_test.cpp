// However the program ends, the notes it sounds are released, and a window
// system it cannot use is told in one line.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>

#include "cli/program_support.h"

namespace velmora::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(WaysOut, TheDisplayGoingAwayReleasesTheSoundingNotes) {
    XServer own;
    ASSERT_FALSE(own.display().empty()) << "Xvfb did not start";
    TempDir dir;
    const fs::path log = dir.path() / "midi.txt";
    std::vector<std::string> arguments = kQuietSound;
    arguments.insert(arguments.end(), {"--midi-log", log.string()});
    Child program(Velmora(arguments), {"DISPLAY=" + own.display()});
    XClient x(own.display());
    const std::uint32_t window = WaitForWindow(x, program);
    ASSERT_NE(window, 0u) << program.err();
    ASSERT_TRUE(ClickPlay(x, window, log)) << "no note after clicking PLAY:\n" << ReadText(log);

    own.stop(SIGKILL);
    EXPECT_EQ(program.wait(10s), 1) << program.err();
    EXPECT_TRUE(NotesLeftSounding(ReadText(log)).empty()) << ReadText(log);
}

TEST(WaysOut, AWindowDestroyedFromOutsideEndsTheProgramAsClosingIt) {
    TempDir dir;
    const fs::path log = dir.path() / "midi.txt";
    std::vector<std::string> arguments = kQuietSound;
    arguments.insert(arguments.end(), {"--midi-log", log.string()});
    Child program(Velmora(arguments));
    XClient x(std::getenv("DISPLAY"));
    const std::uint32_t window = WaitForWindow(x, program);
    ASSERT_NE(window, 0u) << program.err();
    ASSERT_TRUE(ClickPlay(x, window, log)) << "no note after clicking PLAY:\n" << ReadText(log);

    x.destroy(window);
    EXPECT_EQ(program.wait(10s), 0) << program.err();
    EXPECT_TRUE(NotesLeftSounding(ReadText(log)).empty()) << ReadText(log);
    EXPECT_EQ(program.err(), "");
}

TEST(WaysOut, AWindowSystemThatCannotBeUsedIsOneLineAndStatusOne) {
    struct Case {
        std::vector<std::string> arguments;
        std::vector<std::string> environment;
        std::string named;
    };
    const Case cases[] = {
        {{}, {"DISPLAY=:65000"}, "could not connect to display :65000"},
        {{"-platform", "bogus"}, {}, "\"bogus\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        Child program(Velmora(c.arguments), c.environment);
        EXPECT_EQ(program.wait(10s), 1);
        EXPECT_EQ(LineCount(program.err()), 1) << program.err();
        EXPECT_EQ(program.err().rfind("velmora: cannot open the window: ", 0), 0u) << program.err();
        EXPECT_NE(program.err().find(c.named), std::string::npos) << program.err();
    }
}

TEST(WaysOut, QuittingAtOnceSaysNothing) {
    Child program(Velmora(kQuietSound));
    XClient x(std::getenv("DISPLAY"));
    ASSERT_NE(WaitForWindow(x, program), 0u) << program.err();
    EXPECT_EQ(program.stop(SIGTERM, 10s), 0);
    EXPECT_EQ(program.err(), "");
}

}  // namespace
}  // namespace velmora::testing
