// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

namespace velmora {

// The short tone of a wrong answer.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void Beep(int frequencyHz, int durationMs) = 0;
};

// For trainers that need no beep: benchmarks and window tests.
class SilentBeeper final : public Beeper {
public:
    void Beep(int, int) override {}
};

}  // namespace velmora
