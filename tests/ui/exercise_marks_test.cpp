// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/exercise_marks.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QMenu>

#include "coach/mastery.h"
#include "ui/qt_app.h"

namespace velmora {
namespace {

constexpr std::int64_t kDay = 24 * 60 * 60 * 1000;
constexpr std::int64_t kMorning = 1'772'445'600'000;  // 10:00 UTC

// A single note named right within a second.
JournalEntry QuickRightAnswer(int note, std::int64_t day, int question) {
    JournalEntry entry;
    entry.utcMilliseconds = kMorning + day * kDay + question * 5000;
    entry.session = day + 1;
    entry.run = 1;
    entry.question = question;
    entry.notes = {note};
    entry.answered = {note % 12};
    entry.correct = true;
    entry.responseMilliseconds = 900;
    return entry;
}

// Twenty of each note on one local day and two more on the next.
MasteryTracker MasteredOverTwoDays(std::initializer_list<int> notes) {
    MasteryTracker tracker;
    int question = 0;
    for (std::int64_t day : {0, 1}) {
        for (int round = 0; round < (day == 0 ? 20 : 2); ++round) {
            for (int note : notes) tracker.add(QuickRightAnswer(note, day, ++question));
        }
    }
    return tracker;
}

class ExerciseMarksTest : public MainWindowFixture {
protected:
    // What a screen reader hears after the item's name.
    QString heard(int exercise) const {
        QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(window->exerciseMenu());
        QAccessibleInterface* item = menu->child(exercise);
        EXPECT_EQ(item->text(QAccessible::Name), items[exercise]->text());
        EXPECT_EQ(item->role(), QAccessible::MenuItem);
        return item->text(QAccessible::Description);
    }
    QStringList texts() const {
        QStringList all;
        for (QAction* item : items) all << item->text();
        return all;
    }

    QList<QAction*> items = window->exerciseMenu()->actions();
};

TEST_F(ExerciseMarksTest, MarksMasteredAndCurrentExercisesBesideUnchangedTexts) {
    ASSERT_EQ(items.size(), 22);
    const QStringList before = texts();
    ExerciseMarks marks(items);
    // Before the marks, as Qt presents an item: the marks must reach it too.
    EXPECT_EQ(heard(0), "");

    // F# and Eb: all of Diminished 1.
    marks.update(MasteredOverTwoDays({66, 63}));
    EXPECT_EQ(texts(), before);
    for (int exercise = 0; exercise < 22; ++exercise) {
        const ExerciseMarks::Mark expected = exercise == 0 ? ExerciseMarks::Mark::Mastered
                                             : exercise == 1 || exercise == 11
                                                 ? ExerciseMarks::Mark::Current
                                                 : ExerciseMarks::Mark::None;
        EXPECT_EQ(marks.markOf(exercise), expected) << exercise;
        EXPECT_EQ(items[exercise]->icon().isNull(), expected == ExerciseMarks::Mark::None)
            << exercise;
    }
    EXPECT_EQ(heard(0), "mastered");
    EXPECT_EQ(heard(1), "current");
    EXPECT_EQ(heard(11), "current");
    EXPECT_EQ(heard(2), "");

    // One day's good answers are not mastery yet: the marks go back.
    MasteryTracker oneDay;
    for (int question = 1; question <= 20; ++question) {
        oneDay.add(QuickRightAnswer(66, 0, question));
    }
    marks.update(oneDay);
    EXPECT_EQ(marks.markOf(0), ExerciseMarks::Mark::Current);
    EXPECT_EQ(marks.markOf(1), ExerciseMarks::Mark::None);
    EXPECT_TRUE(items[1]->icon().isNull());
    EXPECT_EQ(heard(0), "current");
    EXPECT_EQ(heard(1), "");
    EXPECT_EQ(texts(), before);
}

}  // namespace
}  // namespace velmora
