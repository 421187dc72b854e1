// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/external/midi_ports.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "midi/messages.h"
#include "text/printable.h"

namespace velmora {

namespace {

void QuietAlsaError(const char*, int, const char*, int, const char*, ...) {}

std::string Lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool AlsaSequencerAvailable() {
    snd_lib_error_set_handler(&QuietAlsaError);
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) return false;
    snd_seq_close(seq);
    return true;
}

std::optional<unsigned> ChoosePort(const std::vector<std::string>& names,
                                   const std::string& wanted) {
    unsigned number = 0;
    const char* end = wanted.data() + wanted.size();
    const auto [rest, error] = std::from_chars(wanted.data(), end, number);
    if (!wanted.empty() && error == std::errc() && rest == end) {
        if (number >= 1 && number <= names.size()) return number - 1;
        return std::nullopt;
    }
    const std::string part = Lowercase(wanted);
    for (unsigned i = 0; i < names.size(); ++i) {
        if (Lowercase(names[i]).find(part) != std::string::npos) return i;
    }
    return std::nullopt;
}

std::string PortList(const std::vector<std::string>& names) {
    if (names.empty()) return "no ports";
    std::string list = "ports:";
    for (std::size_t i = 0; i < names.size(); ++i) {
        list += (i == 0 ? " " : ", ") + std::to_string(i + 1) + " " + Printable(names[i]);
    }
    return list;
}

bool NoteFloodGate::pass(std::span<const std::uint8_t> message,
                         std::chrono::steady_clock::time_point now) {
    if (message.size() < 3) return true;
    const int kind = message[0] & 0xF0;
    if (kind != kNoteOnStatus && kind != kNoteOffStatus) return true;
    const std::size_t note = (message[0] & 0x0Fu) * 128u + (message[1] & 0x7Fu);
    if (kind == kNoteOffStatus || message[2] == 0) {
        const bool dropped = dropped_.test(note);
        dropped_.reset(note);
        return !dropped;
    }
    // Every note-on counts, dropped or not: a flood lets nothing through
    // until it calms down.
    const bool flood = seen_ == kMostNotes && now - arrivals_[next_] < kSpan;
    arrivals_[next_] = now;
    next_ = (next_ + 1) % kMostNotes;
    seen_ = std::min(seen_ + 1, kMostNotes);
    if (flood) dropped_.set(note);
    return !flood;
}

}  // namespace velmora
