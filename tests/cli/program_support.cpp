#include "cli/program_support.h"

#include <stdlib.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

#include "model/window_design.h"

namespace velmora::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::vector<std::string> kQuietSound = {"--audio-driver", "alsa", "-o",
                                              "audio.alsa.device=null"};

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int LineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::string ReadText(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "velmora-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
}

std::set<std::pair<int, int>> NotesLeftSounding(const std::string& log) {
    std::set<std::pair<int, int>> sounding;
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string time;
        unsigned status = 0;
        unsigned key = 0;
        unsigned velocity = 0;
        if (!(words >> time >> std::hex >> status >> key >> velocity)) continue;
        const std::pair<int, int> note{static_cast<int>(status & 0x0F), static_cast<int>(key)};
        if ((status & 0xF0) == 0x90 && velocity > 0) {
            sounding.insert(note);
        } else if ((status & 0xF0) == 0x80 || (status & 0xF0) == 0x90) {
            sounding.erase(note);
        }
    }
    return sounding;
}

std::uint32_t WaitForWindow(XClient& x, ProgramRunner& program) {
    std::uint32_t window = 0;
    WaitFor(
        [&] {
            window = x.windowOf(program.pid());
            return window != 0 || !program.running();
        },
        20s);
    return window;
}

bool ClickPlay(XClient& x, std::uint32_t window, const fs::path& log) {
    const ControlDesign& frame = DesignOf("Frame5");
    const ControlDesign& play = DesignOf("cmdPlay");
    const Place& at = play.place;
    const int centreX = (frame.place.left + at.left + at.width / 2) / kTwipsPerPixel;
    const int centreY = (frame.place.top + at.top + at.height / 2) / kTwipsPerPixel;
    // The menu bar above the window's design is as high as the style makes
    // it: the clicks try a few heights, from below the least one up.
    for (int menuBar = 10; menuBar <= 50; menuBar += 8) {
        x.click(window, centreX, menuBar + centreY);
        if (WaitFor([&] { return !NotesLeftSounding(ReadText(log)).empty(); }, 1s)) return true;
    }
    return false;
}

}  // namespace velmora::testing
