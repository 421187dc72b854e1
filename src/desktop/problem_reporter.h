// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <array>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace velmora {

// How the program tells of what is wrong: each problem once on the terminal,
// as it arises, and each part's lasting state in a status line of its own,
// gone again when the problem goes.
class ProblemReporter {
public:
    enum class Source { Sound, MidiInput, Journal, Settings };
    // Shows a part's lasting state: its line ("" hides it) and whether the
    // line says what is wrong rather than what is in use.
    using Show = std::function<void(const std::string& line, bool problem)>;

    ProblemReporter(std::string program, std::ostream& terminal);

    // Where `source`'s line goes; without one, problems reach the terminal only.
    void showOn(Source source, Show show);
    // `source`'s state now. Each of `problems` reaches the terminal unless it
    // was told already and has not gone since: a source with no `problem`
    // has none left standing.
    void report(Source source, const std::string& line, bool problem,
                const std::vector<std::string>& problems = {});
    // A problem with no lasting line, told once while it stands.
    void tell(Source source, const std::string& problem);

private:
    struct Part {
        Show show;
        std::vector<std::string> standing;  // told, and not gone since
    };
    Part& part(Source source) { return parts_[static_cast<std::size_t>(source)]; }
    void tellOnce(Part& part, const std::string& problem);

    std::string program_;
    std::ostream& terminal_;
    std::array<Part, 4> parts_;
};

}  // namespace velmora
