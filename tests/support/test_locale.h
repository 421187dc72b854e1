// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <clocale>
#include <string>

namespace velmora::testing {

// The German locale, where the decimal point is a comma, for as long as it
// exists: set as the desktop would set it (Qt's start-up takes the
// environment's locale). scripts/install-deps --test generates it.
class GermanLocale {
public:
    static constexpr const char* kName = "de_DE.UTF-8";

    GermanLocale() {
        const char* current = std::setlocale(LC_ALL, nullptr);
        saved_ = current != nullptr ? current : "C";
        active_ = std::setlocale(LC_ALL, kName) != nullptr;
    }
    ~GermanLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
    GermanLocale(const GermanLocale&) = delete;
    GermanLocale& operator=(const GermanLocale&) = delete;

    // False when the locale is not installed.
    bool active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

}  // namespace velmora::testing
