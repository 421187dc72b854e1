// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QAction>
#include <QMenu>

#include "coach/coach_options.h"

namespace velmora {

class Trainer;

// The Practice menu: PLAY, STOP and the question once more from the
// keyboard, hearing the last wrong answer again, and what the coach may
// change in how the trainer asks and plays.
class PracticeMenu final : public QObject {
    Q_OBJECT

public:
    // Fills `menu`; Hear My Answer goes to `trainer`, enabled while it would
    // be taken.
    PracticeMenu(QMenu& menu, Trainer& trainer);
    ~PracticeMenu() override;

    // Checks what `options` says, telling no one.
    void showCoachOptions(const CoachOptions& options);
    // Every command enabled as the trainer would take it now, while the
    // menu is open.
    void refresh();

    QMenu* menu() const { return menu_; }
    QAction* playAction() { return &play_; }
    QAction* stopAction() { return &stop_; }
    QAction* againAction() { return &again_; }
    QAction* hearAction() { return &hear_; }
    QAction* choosesAction() { return &chooses_; }
    QAction* clearsEarAction() { return &clearsEar_; }
    QAction* hearsAfterMistakesAction() { return &hearsAfterMistakes_; }

signals:
    // The user changed one of the coach's options.
    void coachOptionsChosen(CoachOptions options);

private:
    void chosen();
    void menuClosed();

    Trainer& trainer_;
    QMenu* menu_;
    QAction play_;
    QAction stop_;
    QAction again_;
    QAction hear_;
    QAction chooses_;
    QAction clearsEar_;
    QAction hearsAfterMistakes_;
};

}  // namespace velmora
