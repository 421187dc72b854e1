// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace velmora::testing {

// Polls (with short sleeps) until `done` or the time is up; false then.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);

// The whole file, or empty when it cannot be read.
std::string ReadText(const std::filesystem::path& file);

// Sets an environment variable while it exists, for the libraries that read it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

}  // namespace velmora::testing
