// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QGroupBox>

#include <array>
#include <cstdint>
#include <string>

#include "coach/next_step.h"
#include "model/trainer_state.h"

class QLabel;
class QPushButton;

namespace velmora {

struct Panel;
class ProgressStatistics;
struct ProgressFigures;
struct Tally;

// The pitch classes ticked in the trainer's pitch list.
std::array<bool, kPitchClasses> TickedPitchClasses(const Panel& panel);
// The next step for the trainer as it is set up now, its seconds written as
// the reader's language writes them.
NextStep NextStepFor(const ProgressStatistics& statistics, const Tally& lastSevenDays,
                     const std::array<bool, kPitchClasses>& ticked,
                     const std::array<std::string, kPitchClasses>& names);

// What to practise next, at the top of the Progress window: one sentence, and
// one button that sets the trainer up for it. Follows the trainer's panel:
// the pitch classes ticked there, and the lock a run puts on the settings.
class NextStepRow final : public QGroupBox {
    Q_OBJECT

public:
    // `lastSevenDays` holds the figures of all questions of the last seven days.
    NextStepRow(const ProgressStatistics& statistics, const ProgressFigures& lastSevenDays,
                Panel& panel, QWidget* parent = nullptr);

    // Chooses the step again when the answers, the week, the ticks or the
    // spelling changed since it was chosen; the lock is shown at once.
    void follow(const std::array<std::string, kPitchClasses>& names);

    const NextStep& step() const { return step_; }
    QPushButton* button() const { return button_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void followFont();
    void take();
    void showLock();

    const ProgressStatistics& statistics_;
    const ProgressFigures& lastSevenDays_;
    Panel& panel_;
    QLabel* sentence_;
    QPushButton* button_;

    NextStep step_;
    // What the step shown was chosen from.
    bool chosen_ = false;
    std::uint64_t version_ = 0;
    std::uint64_t weekVersion_ = 0;
    int weekDay_ = 0;
    std::array<bool, kPitchClasses> ticked_{};
    std::array<std::string, kPitchClasses> names_;
    int locked_ = -1;  // as shown: 1 locked, 0 free, -1 not yet shown
};

}  // namespace velmora
