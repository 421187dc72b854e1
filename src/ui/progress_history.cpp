#include "ui/progress_history.h"

#include <QMetaObject>

#include <memory>

#include "progress/progress_statistics.h"
#include "ui/progress_model.h"
#include "ui/progress_window.h"

namespace velmora {

ProgressHistoryLoad::ProgressHistoryLoad(ProgressModel& model, Reader reader,
                                         std::int64_t beforeUtcMilliseconds) {
    model.setNote(ProgressWindow::tr("Reading the practice journal…"));
    thread_ = std::thread([this, &model, reader = std::move(reader), beforeUtcMilliseconds] {
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
        // Dropped by Qt when the model is gone before this arrives.
        QMetaObject::invokeMethod(
            &model, [&model, loaded, problem] { model.takeHistory(std::move(*loaded), problem); },
            Qt::QueuedConnection);
    });
}

ProgressHistoryLoad::~ProgressHistoryLoad() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
}

}  // namespace velmora
