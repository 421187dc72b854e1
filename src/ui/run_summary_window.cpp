// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/run_summary_window.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "progress/progress_statistics.h"
#include "ui/accessible_names.h"

namespace velmora {

namespace {

// The buttons' own mnemonics; the step's button takes another letter.
constexpr char kTakenMnemonics[] = "apc";

QString Words(const std::string& text) {
    return QString::fromStdString(text);
}

QString Number(long long value) {
    return QLocale().toString(value);
}

QString Percent(int right, int of) {
    long long percent = std::lround(100.0 * right / of);
    // One wrong answer in many is never shown as all right.
    if (right < of && percent == 100) percent = 99;
    return Number(percent) + QLocale().percent();
}

// The button's text with a mnemonic no other button of the window uses.
QString WithMnemonic(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&&"));
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const QChar letter = escaped[i].toLower();
        if (!letter.isLetter() || QLatin1String(kTakenMnemonics).contains(letter)) continue;
        return escaped.insert(i, QLatin1Char('&'));
    }
    return escaped;
}

}  // namespace

RunSummaryWindow::RunSummaryWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    PresentAsWindow(*this);
    setObjectName(QStringLiteral("runSummary"));
    setWindowTitle(tr("Run summary"));
    // Answers are being typed into the trainer's window when a run ends by
    // its time: this one must not take the keyboard from it.
    setAttribute(Qt::WA_ShowWithoutActivating);

    layout_ = new QVBoxLayout(this);
    lines_ = new QVBoxLayout;
    layout_->addLayout(lines_);
    // Each line takes the focus in turn, so a screen reader reads them all.
    answers_ = addLine(lines_);
    firstAttempts_ = addLine(lines_);
    streak_ = addLine(lines_);
    confusion_ = addLine(lines_);
    for (QLabel*& change : changes_) change = addLine(lines_);
    // The day's practice and what to do next stand apart from the run's figures.
    today_ = addLine(layout_);
    stepSentence_ = addLine(layout_);
    stepSentence_->setWordWrap(true);
    step_ = new QPushButton(this);
    step_->setObjectName(QStringLiteral("nextStep"));
    layout_->addWidget(step_, 0, Qt::AlignLeft);

    auto* again = new QPushButton(tr("&Again"), this);
    auto* progress = new QPushButton(tr("Show &progress"), this);
    auto* closing = new QPushButton(tr("&Close"), this);
    buttons_ = new QHBoxLayout;
    buttons_->addWidget(again);
    buttons_->addWidget(progress);
    buttons_->addStretch();
    buttons_->addWidget(closing);
    layout_->addLayout(buttons_);

    connect(step_, &QPushButton::clicked, this, [this] {
        const NextStep chosen = shownStep_;
        close();
        emit nextStepChosen(chosen);
    });
    connect(again, &QPushButton::clicked, this, [this] {
        close();
        emit againChosen();
    });
    connect(progress, &QPushButton::clicked, this, &RunSummaryWindow::showProgressChosen);
    connect(closing, &QPushButton::clicked, this, &QWidget::close);
}

QLabel* RunSummaryWindow::addLine(QBoxLayout* layout) {
    auto* line = new QLabel(this);
    line->setTextFormat(Qt::PlainText);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    layout->addWidget(line);
    return line;
}

void RunSummaryWindow::show(const RunSummary& summary,
                            const std::array<std::string, kPitchClasses>& names,
                            std::int64_t practisedTodayMilliseconds, int dailyGoalMinutes,
                            const NextStep& step) {
    answers_->setText(
        summary.answers == 0
            ? tr("Answers: none")
            : tr("Answers: %1 (%2 right, %3 wrong)")
                  .arg(Number(summary.answers), Number(summary.right), Number(summary.wrong)));
    firstAttempts_->setText(
        summary.firstAttempts == 0
            ? tr("First attempts: none")
            : tr("First attempts: %1 of %2 right (%3)")
                  .arg(Number(summary.firstAttemptsRight), Number(summary.firstAttempts),
                       Percent(summary.firstAttemptsRight, summary.firstAttempts)));
    streak_->setText(summary.bestStreak == 0
                         ? tr("Best streak: none")
                         : tr("Best streak: %1 right in a row").arg(Number(summary.bestStreak)));

    const auto known = [](int pitchClass) { return pitchClass >= 0 && pitchClass < kPitchClasses; };
    if (summary.confusedTimes > 0 && known(summary.confusedAsked) &&
        known(summary.confusedAnswered)) {
        // As the Progress window words it: the note asked, then what it was taken for.
        const Confusion confusion{summary.confusedAsked, summary.confusedAnswered,
                                  static_cast<std::uint32_t>(summary.confusedTimes)};
        confusion_->setText(
            Words(ConfusionWords(confusion, names, Number(summary.confusedTimes).toStdString())));
    } else {
        confusion_->setText(tr("No confusions"));
    }

    std::size_t changed = 0;
    for (const MasteryChange& change : summary.changes) {
        const std::string words = MasteryChangeWords(change, names);
        if (words.empty() || changed == changes_.size()) continue;
        changes_[changed++]->setText(Words(words));
    }
    for (std::size_t i = 0; i < changes_.size(); ++i) changes_[i]->setVisible(i < changed);

    const long long minutes = std::max<std::int64_t>(practisedTodayMilliseconds, 0) / 60000;
    if (dailyGoalMinutes > 0) {
        QString today =
            tr("Today: %1 of %2 minutes").arg(Number(minutes), Number(dailyGoalMinutes));
        if (minutes >= dailyGoalMinutes) today = tr("%1, goal reached").arg(today);
        today_->setText(today);
    } else {
        today_->setText(minutes == 1 ? tr("Today: 1 minute")
                                     : tr("Today: %1 minutes").arg(Number(minutes)));
    }

    shownStep_ = step;
    stepSentence_->setText(Words(step.sentence));
    stepSentence_->setVisible(!step.sentence.empty());
    step_->setText(WithMnemonic(Words(step.button)));
    step_->setVisible(step.action != NextStep::Action::None && !step.button.empty());

    fit();
    // Shown, never activated nor raised: see the constructor.
    QWidget::show();
}

void RunSummaryWindow::setNextStepEnabled(bool enabled) {
    step_->setEnabled(enabled);
}

// The program's zoom sets the font of every window.
void RunSummaryWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) fit();
}

// Spaced and sized for the text's size; a step's sentence on one line
// unless it is long.
void RunSummaryWindow::fit() {
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    layout_->setContentsMargins(line, line, line, line);
    layout_->setSpacing(line * 2 / 3);
    lines_->setSpacing(line / 4);
    buttons_->setSpacing(line / 2);
    stepSentence_->setMinimumWidth(std::min(metrics.horizontalAdvance(stepSentence_->text()) + 2,
                                            metrics.averageCharWidth() * 50));
    adjustSize();
}

void RunSummaryWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace velmora
