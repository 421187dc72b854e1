// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "desktop/quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <xcb/xproto.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <cstdlib>
#include <memory>

namespace velmora {

namespace {

int signalPipe[2] = {-1, -1};

std::function<void()>* lastWords = nullptr;

void SayLastWords() {
    if (lastWords == nullptr) return;
    const std::unique_ptr<std::function<void()>> last(lastWords);
    lastWords = nullptr;
    (*last)();
}

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

WindowDestroyedFromOutside::WindowDestroyedFromOutside(QWidget& window,
                                                       std::function<void()> onGone)
    : window_(window), onGone_(std::move(onGone)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowDestroyedFromOutside::~WindowDestroyedFromOutside() {
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->removeNativeEventFilter(this);
    }
}

bool WindowDestroyedFromOutside::nativeEventFilter(const QByteArray& eventType, void* message,
                                                   qintptr*) {
    if (gone_ || eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    // The top bit marks an event sent by another client; it says the same.
    if ((event->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    if (window_.internalWinId() == 0 || destroyed->window != window_.internalWinId()) return false;
    gone_ = true;
    QTimer::singleShot(0, QCoreApplication::instance(), onGone_);
    return false;
}

LastWords::LastWords(std::function<void()> last) {
    static const bool registered = std::atexit(SayLastWords) == 0;
    if (!registered) return;
    delete lastWords;
    lastWords = new std::function<void()>(std::move(last));
}

LastWords::~LastWords() {
    delete lastWords;
    lastWords = nullptr;
}

}  // namespace velmora
