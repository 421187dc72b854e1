// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/progress_history.h"

#include <memory>

#include "progress/progress_statistics.h"
#include "ui/progress_controller.h"
#include "ui/progress_window.h"
#include "ui/window_thread.h"

namespace velmora {

ProgressHistoryLoad::ProgressHistoryLoad(ProgressController& controller, Reader reader,
                                         std::int64_t beforeUtcMilliseconds) {
    controller.setNote(ProgressWindow::tr("Reading the practice journal…"));
    thread_ = std::thread([this, &controller, reader = std::move(reader), beforeUtcMilliseconds] {
        auto loaded = std::make_shared<ProgressStatistics>();
        std::string error;
        const bool read = reader(
            [&](const JournalEntry& entry) {
                if (!stop_.load(std::memory_order_relaxed) &&
                    entry.utcMilliseconds < beforeUtcMilliseconds) {
                    loaded->addHistory(entry);
                }
            },
            error);
        if (stop_) return;
        const QString problem =
            read ? QString()
                 : ProgressWindow::tr("The practice journal could not be read: %1")
                       .arg(QString::fromStdString(error));
        // Dropped by Qt when the controller is gone before this arrives.
        PostToWindowThread(&controller, [&controller, loaded, problem] {
            controller.takeHistory(std::move(*loaded), problem);
        });
    });
}

ProgressHistoryLoad::~ProgressHistoryLoad() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

}  // namespace velmora
