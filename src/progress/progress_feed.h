// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <functional>

#include "ports/journal.h"
#include "progress/progress_statistics.h"

namespace velmora {

// Stands between the trainer and the journal: every answer goes on to the
// journal (when there is one) and into the statistics the Progress window
// shows, and the window hears of it.
class ProgressFeed final : public Journal {
public:
    explicit ProgressFeed(ProgressStatistics& statistics, Journal* inner = nullptr)
        : statistics_(statistics), inner_(inner) {}

    void setInner(Journal* inner) { inner_ = inner; }
    // Called after each answer has been added or replaced.
    void onChange(std::function<void()> listener) { listener_ = std::move(listener); }

    void record(const JournalEntry& entry) override {
        if (inner_) inner_->record(entry);
        statistics_.add(entry);
        if (listener_) listener_();
    }
    void replaceLast(const JournalEntry& entry) override {
        if (inner_) inner_->replaceLast(entry);
        statistics_.replaceLast(entry);
        if (listener_) listener_();
    }

private:
    ProgressStatistics& statistics_;
    Journal* inner_;
    std::function<void()> listener_;
};

}  // namespace velmora
