// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

namespace velmora {

// A uniform random source in [0, 1).
class Random {
public:
    virtual ~Random() = default;
    virtual double next() = 0;
    // Called before every question and every drill.
    virtual void reseed() = 0;

    // floor(r * k): each of 0..k-1 equally likely; k must be positive.
    int below(int k) {
        const int drawn = static_cast<int>(next() * k);
        return drawn < k ? drawn : k - 1;
    }
};

}  // namespace velmora
