// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

// The coach's part of the Progress window: mastery on the pitch-class bars,
// figures on few answers, the next step, the daily goal.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "model/panel.h"
#include "scoring/spelling.h"
#include "testing/trainer_rig.h"
#include "ui/progress_charts.h"
#include "ui/progress_controller.h"
#include "ui/progress_window.h"
#include "ui/qt_app.h"
#include "ui/remembered_choices.h"
#include "ui/spelled_names.h"

namespace velmora {
namespace {

// Noon of a local day, `daysAgo` before today: every answer of a test day
// falls on that day, whenever the test runs.
std::int64_t Noon(int daysAgo) {
    return QDateTime(QDate::currentDate().addDays(-daysAgo), QTime(12, 0)).toMSecsSinceEpoch();
}

// A single note asked in run `run`, answered as `answered`, `seconds` after noon.
JournalEntry Answer(int note, int answered, int milliseconds, int daysAgo, int seconds,
                    int run = 1) {
    JournalEntry entry;
    entry.utcMilliseconds = Noon(daysAgo) + seconds * 1000LL;
    entry.utcOffsetMinutes = QDateTime::currentDateTime().offsetFromUtc() / 60;
    entry.run = run;
    entry.notes = {note};
    entry.answered = {answered};
    entry.correct = note % 12 == answered;
    entry.responseMilliseconds = milliseconds;
    return entry;
}

class ProgressCoachTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureQtApplication(); }

    // C mastered over two days; D learning, taken for E five times today;
    // F# three times on a violin, high up; G twice, three days ago.
    void addLearnerHistory() {
        for (int i = 0; i < 20; ++i) statistics.addHistory(Answer(60, 0, 1500, 1, i * 30));
        for (int i = 0; i < 20; ++i) {
            // Octaves alternate, so that no answer repeats the question before it.
            statistics.addHistory(Answer(62 + 12 * (i % 2), i < 5 ? 4 : 2, 2400, 0, i * 30, 2));
        }
        statistics.addHistory(Answer(60, 0, 1500, 0, 700, 2));
        for (int i = 0; i < 3; ++i) {
            JournalEntry violin = Answer(90, 6, 1800, 0, 800 + i * 30, 2);
            violin.program = 40;
            statistics.addHistory(violin);
        }
        for (int i = 0; i < 2; ++i) statistics.addHistory(Answer(67, 7, 1000, 3, i * 30, 3));
    }

    ProgressStatistics statistics;
};

TEST_F(ProgressCoachTest, PitchBarsSayWhereEachPitchClassStandsAndFewAnswersAreFaint) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    addLearnerHistory();
    ProgressController progress(statistics, [] { return testing::SpelledNames(0); });
    ProgressWindow& window = progress.show();
    QLocale::setDefault(QLocale::c());

    const auto& pitches = Named<BarChart>(window, "Accuracy per pitch class")->bars();
    EXPECT_EQ(pitches[0].description, "C: 21 right of 21 (100%), mastered");
    EXPECT_EQ(pitches[0].mark, BarMark::Check);
    EXPECT_EQ(pitches[2].description,
              "D: 15 right of 20 (75%), learning: 15 of the last 20 right, median 2,4 s; "
              "needs 18 and 2,0 s, on 2 days");
    EXPECT_EQ(pitches[2].mark, BarMark::Ring);
    EXPECT_EQ(pitches[4].description, "E: not asked, new");
    EXPECT_EQ(pitches[4].mark, BarMark::None);
    EXPECT_FALSE(pitches[2].faint);
    EXPECT_TRUE(pitches[6].faint);
    EXPECT_TRUE(pitches[6].description.startsWith("F#: 3 right of 3 (100%), few answers, learning"))
        << pitches[6].description.toStdString();

    const auto& times = Named<BarChart>(window, "Median response time per pitch class")->bars();
    EXPECT_FALSE(times[2].faint);
    EXPECT_TRUE(times[6].faint);
    EXPECT_TRUE(times[6].description.endsWith(", few answers"));

    const auto& octaves = Named<BarChart>(window, "Accuracy by octave")->bars();
    ASSERT_EQ(octaves.size(), 3u);   // octaves 4 to 6
    EXPECT_FALSE(octaves[1].faint);  // ten answers are enough
    EXPECT_EQ(octaves[2].description, "Octave 6: 3 right of 3 (100%), few answers");
    EXPECT_TRUE(octaves[2].faint);

    auto* instruments = Named<QTableWidget>(window, "Accuracy by instrument");
    ASSERT_EQ(instruments->rowCount(), 2);
    EXPECT_FALSE(instruments->item(0, 0)->toolTip().contains("few answers"));
    EXPECT_EQ(instruments->item(1, 0)->toolTip(), "41 Violin: 3 right of 3 (100%), few answers");
    EXPECT_NE(instruments->item(1, 1)->foreground(), instruments->item(0, 1)->foreground());

    const QString days = Named<DayChart>(window, "Accuracy per day")->accessibleDescription();
    EXPECT_TRUE(days.contains("2 right of 2 (100%), few answers;")) << days.toStdString();
    EXPECT_TRUE(days.contains("20 right of 20 (100%);")) << days.toStdString();
    EXPECT_TRUE(days.contains("90%"));
}

TEST_F(ProgressCoachTest, PracticePerDayAndTheDailyGoalAreShownAndSaid) {
    // One answer yesterday; ten a minute apart today: nine minutes and the first answer's 1.5 s.
    statistics.addHistory(Answer(60, 0, 1500, 1, 0));
    for (int i = 0; i < 10; ++i) statistics.addHistory(Answer(60, 0, 1500, 0, i * 60, 2));
    ProgressController progress(statistics, [] { return testing::SpelledNames(0); });
    QSignalSpy chosen(&progress, &ProgressController::dailyGoalChanged);
    progress.setDailyGoalMinutes(20);  // remembered from before, given before the window
    ProgressWindow& window = progress.show();
    auto* goal = Named<QSpinBox>(window, "Daily goal in minutes");
    ASSERT_NE(goal, nullptr);
    EXPECT_EQ(goal->value(), 20);
    auto* today = window.findChild<QProgressBar*>();
    EXPECT_EQ(today->accessibleName(), "Today: 9 of 20 minutes");
    EXPECT_EQ(today->text(), "Today: 9 of 20 minutes");

    goal->setValue(9);  // as the user's arrows do
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen.takeFirst().at(0).toInt(), 9);
    EXPECT_EQ(progress.dailyGoalMinutes(), 9);
    EXPECT_EQ(today->accessibleName(), "Today: 9 of 9 minutes, goal reached");
    progress.setDailyGoalMinutes(1000);  // from the program: kept in range, not told back
    EXPECT_EQ(goal->value(), 600);
    EXPECT_TRUE(chosen.isEmpty());

    const QString practice =
        Named<PracticeChart>(window, "Minutes practised per day")->accessibleDescription();
    EXPECT_TRUE(practice.startsWith("2 days in a row. Daily goal: 600 minutes."))
        << practice.toStdString();
    EXPECT_TRUE(practice.contains(": 10 answers in 9 minutes")) << practice.toStdString();
    EXPECT_TRUE(practice.contains(": 1 answer in less than a minute")) << practice.toStdString();
    EXPECT_EQ(window.findChild<QLabel*>("daysInARow")->text(), "2 days in a row");
}

TEST(RememberedDailyGoal, OnlyAWholeNumberOfMinutesFromOneTo600IsTaken) {
    EnsureQtApplication();
    QTemporaryDir folder;
    const QString file = folder.filePath("velmora.conf");
    auto stored = [&file](const QVariant& value) {
        QSettings(file, QSettings::IniFormat).setValue("progress/daily-goal-minutes", value);
        return RememberedChoices(file).dailyGoalMinutes();
    };
    EXPECT_EQ(stored(30), 30);
    EXPECT_EQ(stored(600), 600);
    for (const QVariant& wrong : {QVariant(0), QVariant(601), QVariant("12.5"), QVariant("ten")}) {
        EXPECT_EQ(stored(wrong), std::nullopt) << wrong.toString().toStdString();
    }
    RememberedChoices choices(file);
    choices.rememberDailyGoalMinutes(45);
    choices.rememberDailyGoalMinutes(0);
    choices.rememberDailyGoalMinutes(601);
    EXPECT_EQ(RememberedChoices(file).dailyGoalMinutes(), 45);
}

// With the trainer's own panel: the next step follows its ticks, its lock and
// its key signature, also without an answer.
class NextStepTest : public ProgressCoachTest, protected testing::TrainerRig {
protected:
    NextStepTest() { trainer.Form_Load(); }
    Panel& panel = trainer.panel();
    ProgressController progress{statistics, [this] { return trainer.state().pitchNames; }, nullptr,
                                &panel};
};

TEST_F(NextStepTest, TheButtonTicksThePitchClassesOfTheStepAndWaitsForTheRunToEnd) {
    addLearnerHistory();
    ProgressWindow& window = progress.show();
    auto* sentence = Named<QLabel>(window, "Next step");
    ASSERT_NE(sentence, nullptr);
    EXPECT_EQ(sentence->text(), "You took D for E 5 times this week: practise D and E together");
    EXPECT_EQ(sentence->accessibleDescription(), sentence->text());
    QPushButton* button = nullptr;
    for (auto* each : window.findChildren<QPushButton*>()) {
        if (each->text() == "Practise D and E") button = each;
    }
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isEnabled());
    button->click();
    std::vector<int> ticked;
    for (int i = 0; i < panel.lstPitch.count(); ++i) {
        if (panel.lstPitch.selected(i)) ticked.push_back(i);
    }
    EXPECT_EQ(ticked, (std::vector<int>{2, 4}));

    panel.cmdPlay.click();
    ASSERT_FALSE(panel.mnuDefaultExercises.enabled());
    QTRY_VERIFY(!button->isEnabled());
    button->click();  // nothing changes during the run
    EXPECT_TRUE(panel.lstPitch.selected(2) && panel.lstPitch.selected(4));
    panel.cmdPlayStop.click();
    QTRY_VERIFY(button->isEnabled());
    trainer.Form_Unload();
}

TEST_F(NextStepTest, AnotherKeySignatureRespellsTheWindowWithoutAnAnswer) {
    addLearnerHistory();
    statistics.addHistory(Answer(63, 3, 1500, 0, 900, 2));
    ProgressWindow& window = progress.show();
    QApplication::processEvents();  // the window's activation is over: only the watch is left
    const auto& pitches = Named<BarChart>(window, "Accuracy per pitch class")->bars();
    EXPECT_EQ(pitches[3].label, "Eb");
    // Several keys in a row, sharps and flats, none with an answer between.
    for (int key : {2, 0, 10, 6, 11}) {
        panel.lstKeySignature.setListIndex(key);
        const QString name = QString::fromStdString(trainer.state().pitchNames[3]);
        QTRY_COMPARE(pitches[3].label, name);
        EXPECT_TRUE(pitches[3].description.startsWith(name + ": 1 right of 1"))
            << pitches[3].description.toStdString();
    }
    panel.lstKeySignature.setListIndex(2);
    ASSERT_EQ(trainer.state().pitchNames[3], "D#");
    QTRY_COMPARE(pitches[3].label, QString("D#"));
    trainer.Form_Unload();
}

}  // namespace
}  // namespace velmora
