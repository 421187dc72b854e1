#include "ui/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace velmora {

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int number) {
    const char byte = static_cast<char>(number);
    // Only async-signal-safe work here; a full pipe just drops the repeat.
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        if (onSignal_) onSignal_();
    });

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGINT, SIGTERM, SIGHUP}) sigaction(number, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    for (int number : {SIGINT, SIGTERM, SIGHUP}) std::signal(number, SIG_DFL);
    delete notifier_;
    for (int& fd : signalPipe) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

}  // namespace velmora
