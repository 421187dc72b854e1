// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "midi/switchable_out.h"

#include "midi/messages.h"

namespace velmora {

namespace {

constexpr int kControlChangeStatus = 0xB0;
constexpr int kAllNotesOff = 123;

}  // namespace

bool SwitchableOut::open() {
    open_ = true;
    return sink_->open();
}

void SwitchableOut::send(std::uint32_t message) {
    if (!open_) return;
    const int kind = StatusOf(message) & 0xF0;
    const int channel = StatusOf(message) & 0x0F;
    const std::pair<int, int> key{channel, Data1Of(message)};
    if (kind == kNoteOnStatus && Data2Of(message) > 0) {
        sounding_.insert(key);
        channelsUsed_.insert(channel);
    } else if (kind == kNoteOffStatus || kind == kNoteOnStatus) {
        sounding_.erase(key);
    }
    sink_->send(message);
}

void SwitchableOut::close() {
    if (!open_) return;
    open_ = false;
    sounding_.clear();
    sink_->close();
}

std::unique_ptr<MidiOut> SwitchableOut::replace(std::unique_ptr<MidiOut> next) {
    if (open_) {
        for (const auto& [channel, note] : sounding_) {
            sink_->send(ComposeShortMessage(kNoteOffStatus, channel, note, 0));
        }
        for (int channel : channelsUsed_) {
            sink_->send(ComposeShortMessage(kControlChangeStatus, channel, kAllNotesOff, 0));
        }
        sounding_.clear();
        sink_->close();
    }
    std::unique_ptr<MidiOut> old = std::exchange(sink_, std::move(next));
    if (open_) sink_->open();
    return old;
}

}  // namespace velmora
