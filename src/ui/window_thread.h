// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <utility>

namespace velmora {

// The one way back from a worker thread: `work` runs soon on the thread of
// `receiver` (the window's), from its event loop, and is dropped when
// `receiver` is deleted before then. Any thread may call it.
inline void PostToWindowThread(QObject* receiver, std::function<void()> work) {
    QMetaObject::invokeMethod(receiver, std::move(work), Qt::QueuedConnection);
}

// The same as a function, for the parts that know nothing of Qt.
inline std::function<void(std::function<void()>)> WindowThreadPost(QObject* receiver) {
    return
        [receiver](std::function<void()> work) { PostToWindowThread(receiver, std::move(work)); };
}

}  // namespace velmora
