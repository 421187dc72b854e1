// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

namespace velmora {

// What the coach may change in how the trainer asks and plays. Everything is
// off at first start: the trainer then asks, plays and grades as it always has.
struct CoachOptions {
    // Questions weighted toward what is missed, misses asked again, and no
    // note that can be named from the last one by its interval.
    bool choosesQuestions = false;
    // A neutral sound between the verdict and the next question, so the last
    // note does not stay in the ear; only while the coach chooses.
    bool clearsEar = true;
    // "Hear my answer" plays by itself after every wrong answer.
    bool hearsAnswerAfterMistakes = false;
    bool operator==(const CoachOptions&) const = default;
};

}  // namespace velmora
