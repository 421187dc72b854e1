// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <functional>

class QSocketNotifier;
class QWidget;

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

// Calls `onGone` on the event loop when another X11 client destroys the
// window, which otherwise leaves the program running unseen.
class WindowDestroyedFromOutside final : public QAbstractNativeEventFilter {
public:
    WindowDestroyedFromOutside(QWidget& window, std::function<void()> onGone);
    ~WindowDestroyedFromOutside() override;
    WindowDestroyedFromOutside(const WindowDestroyedFromOutside&) = delete;
    WindowDestroyedFromOutside& operator=(const WindowDestroyedFromOutside&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    QWidget& window_;
    std::function<void()> onGone_;
    bool gone_ = false;
};

// Runs `last` when the process is ended by exit() while this object lives.
// Qt's X11 support does that from inside the event loop when the connection
// to the display breaks, so everything main() made is still there. One at a
// time.
class LastWords {
public:
    explicit LastWords(std::function<void()> last);
    ~LastWords();
    LastWords(const LastWords&) = delete;
    LastWords& operator=(const LastWords&) = delete;
};

}  // namespace velmora
