// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Text the user gave (a path, a port name, an option) as it may be shown on
// the terminal and in the status line: on one line, and unable to move the
// cursor or recolour the terminal. Control characters become escapes (\n,
// \t, \x1b), as do bytes that are not UTF-8 (\xfc for a Latin-1 'ü');
// everything else, backslashes too, is left as it is, so applying it twice
// changes nothing.
std::string Printable(std::string_view text);

// Printable(text) in single quotes, as messages name what the user gave.
std::string Quoted(std::string_view text);

}  // namespace velmora
