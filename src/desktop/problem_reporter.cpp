// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "desktop/problem_reporter.h"

#include <algorithm>
#include <ostream>
#include <utility>

#include "text/printable.h"

namespace velmora {

ProblemReporter::ProblemReporter(std::string program, std::ostream& terminal)
    : program_(std::move(program)), terminal_(terminal) {}

void ProblemReporter::showOn(Source source, Show show) {
    part(source).show = std::move(show);
}

void ProblemReporter::report(Source source, const std::string& line, bool problem,
                             const std::vector<std::string>& problems) {
    Part& reported = part(source);
    if (!problem) reported.standing.clear();
    for (const std::string& each : problems) tellOnce(reported, each);
    if (reported.show) reported.show(line, problem);
}

void ProblemReporter::tell(Source source, const std::string& problem) {
    tellOnce(part(source), problem);
}

void ProblemReporter::tellOnce(Part& part, const std::string& problem) {
    if (problem.empty()) return;
    if (std::find(part.standing.begin(), part.standing.end(), problem) != part.standing.end()) {
        return;
    }
    part.standing.push_back(problem);
    terminal_ << program_ << ": " << Printable(problem) << "\n" << std::flush;
}

}  // namespace velmora
