#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace velmora {

// Turns SIGINT, SIGTERM and SIGHUP into a call on the event loop, so that a
// terminal's Ctrl+C or a logout closes the window the normal way: sounding
// notes are released and the output is closed.
class QuitSignals final : public QObject {
    Q_OBJECT

public:
    explicit QuitSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~QuitSignals() override;

private:
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace velmora
