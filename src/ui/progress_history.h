// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "ports/journal.h"

namespace velmora {

class ProgressController;

// Reads the journal's earlier answers on a worker thread, into statistics of
// their own, and hands them to the Progress window's controller on its thread: the
// window comes up at once, however long the journal.
class ProgressHistoryLoad {
public:
    // Calls `each` for every answer in the journal, oldest first; false, with
    // `error`, when the journal cannot be read.
    using Reader = std::function<bool(const std::function<void(const JournalEntry&)>& each,
                                      std::string& error)>;
    // Answers from `beforeUtcMilliseconds` on are this start's own: the
    // statistics have them already.
    ProgressHistoryLoad(ProgressController& controller, Reader reader,
                        std::int64_t beforeUtcMilliseconds);
    // Stops taking answers and waits for the reader to end.
    ~ProgressHistoryLoad();
    ProgressHistoryLoad(const ProgressHistoryLoad&) = delete;
    ProgressHistoryLoad& operator=(const ProgressHistoryLoad&) = delete;

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace velmora
