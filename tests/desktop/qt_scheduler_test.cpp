// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "desktop/qt_scheduler.h"

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/timerfd.h>

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "ui/qt_app.h"

namespace {

// Tools that fake the time of day wrap timerfd_settime and take every absolute
// deadline for a wall-clock time, moving it by however far they have set that
// clock. This wrapper does the same while `wallClockStep` is not zero.
std::chrono::seconds wallClockStep{0};
int timerArms = 0;

}  // namespace

extern "C" int timerfd_settime(int fd, int flags, const itimerspec* value,
                               itimerspec* old) noexcept {
    using Settime = int (*)(int, int, const itimerspec*, itimerspec*);
    static const auto real = reinterpret_cast<Settime>(dlsym(RTLD_NEXT, "timerfd_settime"));
    ++timerArms;
    itimerspec moved = *value;
    if ((flags & TFD_TIMER_ABSTIME) != 0) {
        moved.it_value.tv_sec = std::max<time_t>(0, moved.it_value.tv_sec - wallClockStep.count());
    }
    return real(fd, flags, &moved, old);
}

namespace velmora {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

class QtSchedulerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureQtApplication(); }

    // Turns the event loop until a callback calls quit(), or fails after a
    // generous limit so a broken scheduler does not hang.
    void run() {
        QTimer::singleShot(500ms, &loop_, [this] {
            timedOut_ = true;
            loop_.quit();
        });
        loop_.exec();
        EXPECT_FALSE(timedOut_) << "the quitting callback never ran";
    }

    // Ends the run once everything due before `after` has had its chance.
    void quitAfter(Nanos after) {
        scheduler_.startTimer(scheduler_.now() + after, [this] { loop_.quit(); });
    }

    Nanos in(Nanos delay) const { return scheduler_.now() + delay; }

    QEventLoop loop_;
    QtScheduler scheduler_;
    std::vector<std::string> log_;
    bool timedOut_ = false;
};

// A deadline already past fires on the next pass, not inside startTimer().
TEST_F(QtSchedulerTest, FiresInDeadlineOrderAndNeverEarly) {
    auto start = [&](const std::string& name, Nanos deadline) {
        scheduler_.startTimer(deadline, [&, name, deadline] {
            EXPECT_GE(scheduler_.now(), deadline) << name << " fired early";
            log_.push_back(name);
            if (name == "c") loop_.quit();
        });
    };
    const Nanos base = in(5ms);
    start("c", base + 20ms);
    start("a", base + 1300us);
    start("b", base + 10ms);
    start("a, started later", base + 1300us);
    start("first", base);
    start("at zero", Nanos{0});
    start("a second ago", in(-1s));
    start("before the clock began", Nanos{-5});
    EXPECT_TRUE(log_.empty());

    run();
    EXPECT_THAT(log_, ElementsAre("before the clock began", "at zero", "a second ago", "first", "a",
                                  "a, started later", "b", "c"));
    EXPECT_EQ(scheduler_.pendingTimers(), 0u);
}

TEST_F(QtSchedulerTest, CancelledTimersNeverFire) {
    const auto early = scheduler_.startTimer(in(2ms), [&] { log_.push_back("early"); });
    scheduler_.startTimer(in(4ms), [&] { log_.push_back("kept"); });
    const auto late = scheduler_.startTimer(in(6ms), [&] { log_.push_back("late"); });
    // Already due, so its wake-up may be pending when it is cancelled.
    const auto due = scheduler_.startTimer(in(-1ms), [&] { log_.push_back("due"); });
    scheduler_.cancel(early);
    scheduler_.cancel(late);
    scheduler_.cancel(due);
    scheduler_.cancel(Scheduler::kNoTimer);
    scheduler_.cancel(12345);
    quitAfter(20ms);

    run();
    EXPECT_THAT(log_, ElementsAre("kept"));
    scheduler_.cancel(early);  // cancelling a finished timer is harmless too
}

TEST_F(QtSchedulerTest, RepeatingTimerKeepsItsBeatUntilItCancelsItself) {
    const Nanos interval = 7ms;
    const Nanos started = scheduler_.now();
    std::vector<Nanos> ticks;
    Scheduler::TimerId id = Scheduler::kNoTimer;
    id = scheduler_.startRepeating(interval, [&] {
        ticks.push_back(scheduler_.now());
        if (ticks.size() == 3) {
            scheduler_.cancel(id);
            quitAfter(3 * interval);  // long enough for a fourth tick to show
        }
    });

    run();
    ASSERT_EQ(ticks.size(), 3u);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        EXPECT_GE(ticks[i], started + interval * static_cast<int>(i + 1)) << "tick " << i;
    }
}

TEST_F(QtSchedulerTest, CallbacksMayStartAndCancelOtherTimers) {
    Scheduler::TimerId doomed = Scheduler::kNoTimer;
    scheduler_.startTimer(in(2ms), [&] {
        log_.push_back("first begins");
        scheduler_.cancel(doomed);
        scheduler_.startTimer(in(-1ms), [&] { log_.push_back("started overdue"); });
        scheduler_.startTimer(in(3ms), [&] {
            log_.push_back("started later");
            loop_.quit();
        });
        log_.push_back("first ends");
    });
    doomed = scheduler_.startTimer(in(2ms), [&] { log_.push_back("doomed"); });

    run();
    EXPECT_THAT(log_,
                ElementsAre("first begins", "first ends", "started overdue", "started later"));
}

TEST_F(QtSchedulerTest, TimersKeepFiringInsideANestedEventLoop) {
    // As when a callback opens a modal dialog; Qt's own timer closes it.
    scheduler_.startTimer(in(1ms), [&] {
        log_.push_back("dialog opens");
        QEventLoop dialog;
        QTimer::singleShot(100ms, &dialog, &QEventLoop::quit);
        dialog.exec();
        log_.push_back("dialog closed");
    });
    scheduler_.startTimer(in(1ms), [&] { log_.push_back("due with the opener"); });
    scheduler_.startTimer(in(5ms), [&] { log_.push_back("due while open"); });
    quitAfter(150ms);

    run();
    EXPECT_THAT(log_, ElementsAre("dialog opens", "due with the opener", "due while open",
                                  "dialog closed"));
}

// Set back, the timer would wait that much longer; set forward, the thread
// would wake over and over until the deadline, finding nothing due.
TEST_F(QtSchedulerTest, AWallClockStepNeitherDelaysTheTimersNorWakesTheThreadEarly) {
    for (auto step : {-40s, 40s}) {
        SCOPED_TRACE(step.count());
        QtScheduler scheduler;
        wallClockStep = step;
        timerArms = 0;
        const Nanos deadline = scheduler.now() + 20ms;
        scheduler.startTimer(deadline, [&] {
            EXPECT_GE(scheduler.now(), deadline);
            loop_.quit();
        });
        run();
        wallClockStep = 0s;
        EXPECT_LE(timerArms, 4) << "armed again at every early wake-up";
    }
}

}  // namespace
}  // namespace velmora
