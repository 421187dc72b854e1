#include "desktop/qt_scheduler.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>

#include <string>
#include <vector>

#include "ui/qt_app.h"

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

}  // namespace
}  // namespace velmora
