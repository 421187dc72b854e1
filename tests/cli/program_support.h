// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

// What the program tests share: starting the program, waiting, files,
// reading the MIDI log, and playing as the user does. Their test program
// starts an Xvfb of its own first, in DISPLAY.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cli/x_client.h"
#include "testing/helpers.h"
#include "testing/servers.h"

namespace velmora::testing {

// The command that starts the program with `arguments`, to give to a Child.
std::vector<std::string> Velmora(std::vector<std::string> arguments = {});

// The same, its sound needing no device and making no noise: ALSA's null output.
std::vector<std::string> QuietVelmora(const std::vector<std::string>& arguments = {});

double SecondsSince(std::chrono::steady_clock::time_point start);
// How often `part` occurs in `text`.
int Count(const std::string& text, const std::string& part);

// (channel, key) of the notes a MIDI log leaves sounding: their last message
// is a note-on.
std::set<std::pair<int, int>> NotesLeftSounding(const std::string& log);

// The program's window, once it is on the screen; 0 (and a failed test) if it
// ended first or none came.
std::uint32_t WaitForWindow(XClient& x, Child& program);

// Starts a run as the user does, with a click on PLAY, and waits until
// `playing` says it has begun, or its first note sounds in the MIDI log `log`.
bool ClickPlay(XClient& x, std::uint32_t window, const std::function<bool()>& playing);
bool ClickPlay(XClient& x, std::uint32_t window, const std::filesystem::path& log);

}  // namespace velmora::testing
