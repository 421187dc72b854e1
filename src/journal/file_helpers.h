// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora {

// "what: reason", with the reason of `number` as the C library words it.
std::string SystemError(const std::string& what, int number = errno);

// The numbers separated by single spaces, appended to `text`.
void AppendNumbers(std::string& text, const std::vector<int>& values);

// An XDG base folder ($XDG_DATA_HOME, $XDG_STATE_HOME...): the variable when
// it holds an absolute path (a relative one is to be ignored), else
// `fallbackUnderHome` below $HOME.
std::filesystem::path XdgBaseFolder(const char* variable, const char* fallbackUnderHome);

}  // namespace velmora
