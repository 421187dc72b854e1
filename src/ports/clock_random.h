// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cstdint>
#include <random>

#include "ports/random.h"

namespace velmora {

// Reseeded from the clock (and the system's entropy) at every reseed(), or
// from a fixed seed for tests, whose reseed() then leaves the sequence alone
// so that a whole run is reproducible.
class ClockRandom final : public Random {
public:
    ClockRandom();
    explicit ClockRandom(std::uint64_t fixedSeed);

    double next() override;
    void reseed() override;

private:
    std::mt19937_64 engine_;
    bool fixed_ = false;
};

}  // namespace velmora
