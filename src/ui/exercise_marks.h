// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>

#include <vector>

class QAction;

namespace velmora {

class MasteryTracker;

// Marks the Select Exercise menu's items: a check beside each exercise whose
// pitch classes are all mastered, an arrow beside the exercise of each series
// to practise now. The items' texts stay as they are; a screen reader hears
// the mark as the item's description.
class ExerciseMarks {
public:
    enum class Mark { None, Mastered, Current };

    // The menu's items in the order of the exercises.
    explicit ExerciseMarks(const QList<QAction*>& items);

    // Cheap enough for every answer: only items whose mark changed are touched.
    void update(const MasteryTracker& mastery);

    Mark markOf(int exercise) const;
    static QString wordsFor(Mark mark);

private:
    std::vector<QPointer<QAction>> items_;
    std::vector<Mark> marks_;
    QIcon mastered_;
    QIcon current_;
};

}  // namespace velmora
