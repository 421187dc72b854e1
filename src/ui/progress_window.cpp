// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/progress_window.h"

#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "coach/mastery.h"
#include "model/instrument_names.h"
#include "ui/accessible_names.h"
#include "ui/control_binding.h"
#include "ui/daily_goal.h"
#include "ui/next_step_row.h"
#include "ui/progress_charts.h"

namespace velmora {

namespace {

QString Count(std::uint64_t count) {
    return QLocale().toString(static_cast<qulonglong>(count));
}

// Large counts shortened to fit a table cell: 12 345 as "12k".
QString ShortCount(std::uint32_t count) {
    if (count < 10'000) return Count(count);
    return QLocale().toString(std::lround(count / 1000.0)) + "k";
}

QString Seconds(int milliseconds) {
    return QLocale().toString(milliseconds / 1000.0, 'f', milliseconds < 10'000 ? 1 : 0) + " s";
}

QString RightOf(const RightOfAsked& count) {
    return ProgressWindow::tr("%1 right of %2 (%3)")
        .arg(Count(count.right), Count(count.asked), Percent(count.accuracy()));
}

// A figure on fewer answers than this may still move a lot.
bool Few(std::uint64_t answers) {
    return answers > 0 && answers < static_cast<std::uint64_t>(MasteryRule::kFewAnswers);
}

QString FewWords(std::uint64_t answers) {
    return Few(answers) ? ProgressWindow::tr(", few answers") : QString();
}

QString DayName(int day) {
    return QLocale().toString(QDate(1970, 1, 1).addDays(day), "ddd d MMM yyyy");
}

// Where a pitch class stands, and for one being learned, what it still needs.
QString MasteryWords(const PitchMastery& mastery) {
    switch (mastery.state) {
        case MasteryState::Mastered:
            return ProgressWindow::tr("mastered");
        case MasteryState::New:
            return ProgressWindow::tr("new");
        case MasteryState::Learning:
            break;
    }
    QString words = mastery.attempts == 1
                        ? ProgressWindow::tr("learning: %1 of 1 right").arg(mastery.right)
                        : ProgressWindow::tr("learning: %1 of the last %2 right")
                              .arg(mastery.right)
                              .arg(mastery.attempts);
    if (mastery.medianMilliseconds >= 0) {
        words += ProgressWindow::tr(", median %1").arg(Seconds(mastery.medianMilliseconds));
    }
    words += ProgressWindow::tr("; needs %1 and %2, on %3 days")
                 .arg(MasteryRule::kRightToMaster)
                 .arg(Seconds(MasteryRule::kMedianMilliseconds))
                 .arg(MasteryRule::kDays);
    if (mastery.days == 1) {
        words += ProgressWindow::tr(", held on 1 day so far");
    } else if (mastery.days > 1) {
        words += ProgressWindow::tr(", held on %1 days so far").arg(mastery.days);
    }
    return words;
}

BarMark MarkOf(MasteryState state) {
    switch (state) {
        case MasteryState::Mastered:
            return BarMark::Check;
        case MasteryState::Learning:
            return BarMark::Ring;
        case MasteryState::New:
            break;
    }
    return BarMark::None;
}

QString AnswersWords(std::uint32_t answers) {
    return answers == 1 ? ProgressWindow::tr("1 answer")
                        : ProgressWindow::tr("%1 answers").arg(Count(answers));
}

QString MinutesWords(int minutes) {
    if (minutes == 0) return ProgressWindow::tr("less than a minute");
    return minutes == 1 ? ProgressWindow::tr("1 minute")
                        : ProgressWindow::tr("%1 minutes").arg(Count(minutes));
}

int WholeMinutes(std::int64_t milliseconds) {
    return static_cast<int>(milliseconds / 60'000);
}

QString DaysInARowWords(int days) {
    if (days == 0) return ProgressWindow::tr("Not practised today or yesterday");
    return days == 1 ? ProgressWindow::tr("1 day in a row")
                     : ProgressWindow::tr("%1 days in a row").arg(days);
}

std::pair<std::int64_t, int> Now() {
    const QDateTime now = QDateTime::currentDateTime();
    return {now.toMSecsSinceEpoch(), now.offsetFromUtc() / 60};
}

QGroupBox* Section(const QString& title, QWidget* content, QWidget* second = nullptr) {
    auto* box = new QGroupBox(title);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->addWidget(content, 1);
    if (second) layout->addWidget(second);
    return box;
}

}  // namespace

void ConfusionModel::show(const Tally& tally, const std::array<std::string, kPitchClasses>& names) {
    const bool renamed = names != names_;
    if (!renamed && tally.confusion == confusion_) return;
    const auto before = confusion_;
    confusion_ = tally.confusion;
    names_ = names;
    // A row's colours follow its total: the rows that changed are drawn again.
    for (int row = 0; row < kPitchClasses; ++row) {
        if (renamed || before[row] != confusion_[row]) {
            emit dataChanged(index(row, 0), index(row, kPitchClasses - 1));
        }
    }
    if (renamed) {
        emit headerDataChanged(Qt::Horizontal, 0, kPitchClasses - 1);
        emit headerDataChanged(Qt::Vertical, 0, kPitchClasses - 1);
    }
}

int ConfusionModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kPitchClasses;
}

int ConfusionModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kPitchClasses;
}

QString ConfusionModel::name(int pitchClass) const {
    return ToQt(names_[pitchClass]);
}

QString ConfusionModel::describe(int asked, int answered) const {
    std::uint64_t total = 0;
    for (std::uint32_t times : confusion_[asked]) total += times;
    const std::uint32_t times = confusion_[asked][answered];
    const QString share = total == 0 ? QString() : " (" + Percent(double(times) / total) + ")";
    if (asked == answered) {
        return ProgressWindow::tr("%1 named right: %2 of %3 times%4")
            .arg(name(asked), Count(times), Count(total), share);
    }
    return ProgressWindow::tr("%1 taken for %2: %3 of %4 times%5")
        .arg(name(asked), name(answered), Count(times), Count(total), share);
}

QVariant ConfusionModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int asked = index.row();
    const int answered = index.column();
    const std::uint32_t times = confusion_[asked][answered];
    switch (role) {
        case Qt::DisplayRole:
            return times == 0 ? QString() : ShortCount(times);
        case Qt::ToolTipRole:
        case Qt::AccessibleTextRole:
            return describe(asked, answered);
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::BackgroundRole: {
            std::uint64_t total = 0;
            for (std::uint32_t each : confusion_[asked]) total += each;
            if (times == 0 || total == 0) return {};
            const double share = double(times) / total;
            if (asked == answered) {
                QColor green(46, 160, 67);
                green.setAlphaF(static_cast<float>(0.15 + 0.45 * share));
                return green;
            }
            // Even a few confusions in a hundred should stand out.
            QColor red(214, 39, 40);
            red.setAlphaF(static_cast<float>(std::min(0.85, 0.12 + 3.0 * share)));
            return red;
        }
        default:
            return {};
    }
}

QVariant ConfusionModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section < 0 || section >= kPitchClasses) return {};
    if (role == Qt::DisplayRole) return name(section);
    if (role == Qt::ToolTipRole || role == Qt::AccessibleTextRole) {
        return orientation == Qt::Vertical ? ProgressWindow::tr("%1 asked").arg(name(section))
                                           : ProgressWindow::tr("%1 answered").arg(name(section));
    }
    return {};
}

ProgressWindow::ProgressWindow(ProgressStatistics& statistics, PitchNames pitchNames,
                               QWidget* parent, Panel* panel)
    : QWidget(parent, Qt::Window), statistics_(statistics), pitchNames_(std::move(pitchNames)) {
    setWindowTitle(tr("Progress"));
    PresentAsWindow(*this);
    // The key signature, the ticks, a run's lock and the day change without an
    // answer. A look twice a second compares them with what is shown, so that
    // a change shows within a second; it costs next to nothing when nothing
    // changed.
    watch_ = new QTimer(this);
    watch_->setInterval(500);
    connect(watch_, &QTimer::timeout, this, &ProgressWindow::refresh);
    setAccessibleName(tr("Progress"));
    if (panel) nextStep_ = new NextStepRow(statistics_, lastSevenDays_, *panel);

    period_ = new QComboBox;
    period_->addItems({tr("This run"), tr("Today"), tr("Last 7 days"), tr("All time")});
    period_->setCurrentIndex(3);
    period_->setAccessibleName(tr("Period"));
    filter_ = new QComboBox;
    filter_->addItems({tr("All questions"), tr("Single notes"), tr("Chords"), tr("Shepard")});
    filter_->setAccessibleName(tr("Questions"));
    chosenBy_ = new QComboBox;
    chosenBy_->addItems({tr("All questions"), tr("The coach"), tr("Uniform draw")});
    chosenBy_->setAccessibleName(tr("Chosen by"));
    chosenBy_->setToolTip(
        tr("Only the questions the coach chose, or only those drawn at random "
           "from the ticked pitch classes"));
    summary_ = new QLabel;
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    note_ = new QLabel;
    note_->setVisible(false);

    auto* periodLabel = new QLabel(tr("&Period:"));
    periodLabel->setBuddy(period_);
    auto* filterLabel = new QLabel(tr("&Questions:"));
    filterLabel->setBuddy(filter_);
    auto* chosenByLabel = new QLabel(tr("&Chosen by:"));
    chosenByLabel->setBuddy(chosenBy_);
    auto* top = new QHBoxLayout;
    top->addWidget(periodLabel);
    top->addWidget(period_);
    top->addSpacing(12);
    top->addWidget(filterLabel);
    top->addWidget(filter_);
    top->addSpacing(12);
    top->addWidget(chosenByLabel);
    top->addWidget(chosenBy_);
    top->addStretch(1);

    pitchBars_ = new BarChart(tr("Accuracy per pitch class"), true, kPitchClasses);
    // The marks beside the names, and the faded figures of every chart.
    auto* legend = new QLabel(tr("\u2713 mastered   \u25CB learning   faded: fewer than %1 answers")
                                  .arg(MasteryRule::kFewAnswers));
    QPalette faint = legend->palette();
    faint.setColor(QPalette::WindowText, FaintText(*legend));
    legend->setPalette(faint);
    timeBars_ = new BarChart(tr("Median response time per pitch class"), false, kPitchClasses);

    confusionModel_ = new ConfusionModel(this);
    confusionView_ = new QTableView;
    confusionView_->setModel(confusionModel_);
    confusionView_->setAccessibleName(tr("Confusions: pitch class asked, by pitch class answered"));
    confusionView_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    confusionView_->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    confusionView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    confusionView_->setSelectionMode(QAbstractItemView::SingleSelection);
    confusionView_->setToolTip(tr("Rows: the note asked. Columns: the note answered."));
    topConfusions_ = new QLabel;
    topConfusions_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    topConfusions_->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    topConfusions_->setAccessibleName(tr("Most frequent confusions"));

    octaveBars_ = new BarChart(tr("Accuracy by octave"), true);
    instruments_ = new QTableWidget(0, 3);
    instruments_->setHorizontalHeaderLabels({tr("Instrument"), tr("Notes"), tr("Right")});
    instruments_->setAccessibleName(tr("Accuracy by instrument"));
    instruments_->verticalHeader()->setVisible(false);
    instruments_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    instruments_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    instruments_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    instruments_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    instruments_->setSelectionBehavior(QAbstractItemView::SelectRows);

    dayPitch_ = new QComboBox;
    dayPitch_->setAccessibleName(tr("Pitch class shown beside all notes"));
    dayPitch_->addItem(tr("All notes only"));
    for (int i = 0; i < kPitchClasses; ++i) dayPitch_->addItem(QString());
    dayChart_ = new DayChart;
    practiceChart_ = new PracticeChart;
    daysInARow_ = new QLabel;
    daysInARow_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    daysInARow_->setObjectName(QStringLiteral("daysInARow"));  // its text is its name
    dailyGoal_ = new DailyGoal;
    auto* dayTop = new QHBoxLayout;
    auto* dayPitchLabel = new QLabel(tr("Also &show:"));
    dayPitchLabel->setBuddy(dayPitch_);
    dayTop->addWidget(dayPitchLabel);
    dayTop->addWidget(dayPitch_);
    dayTop->addStretch(1);
    // The streak and the goal over the minutes they count, on a row of their
    // own: beside the choice above, they made the figures too wide for a laptop.
    auto* practiceTop = new QHBoxLayout;
    practiceTop->addWidget(daysInARow_);
    practiceTop->addStretch(1);
    practiceTop->addWidget(dailyGoal_);
    auto* dayBox = new QGroupBox(tr("Accuracy and practice per day"));
    auto* dayLayout = new QVBoxLayout(dayBox);
    dayLayout->setContentsMargins(8, 6, 8, 8);
    dayLayout->setSpacing(2);
    dayLayout->addLayout(dayTop);
    dayLayout->addWidget(dayChart_, 1);
    dayLayout->addLayout(practiceTop);
    dayLayout->addWidget(practiceChart_);

    auto* confusionBox =
        Section(tr("Confusions (rows: asked, columns: answered)"), confusionView_, topConfusions_);
    // The figures scroll within a window shorter than they are: a laptop's screen.
    auto* figures = new QWidget;
    auto* grid = new QGridLayout(figures);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(10);
    grid->addWidget(Section(tr("Accuracy per pitch class"), pitchBars_, legend), 0, 0);
    grid->addWidget(Section(tr("Median response time"), timeBars_), 0, 1);
    grid->addWidget(confusionBox, 1, 0, 2, 1);
    grid->addWidget(Section(tr("Accuracy by octave"), octaveBars_), 1, 1);
    grid->addWidget(Section(tr("Accuracy by instrument"), instruments_), 2, 1);
    grid->addWidget(dayBox, 3, 0, 1, 2);
    grid->setColumnStretch(0, 5);
    grid->setColumnStretch(1, 4);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(1, 3);
    grid->setRowStretch(2, 2);
    grid->setRowStretch(3, 4);

    auto* layout = new QVBoxLayout(this);
    if (nextStep_) layout->addWidget(nextStep_);
    layout->addLayout(top);
    // On a line of its own: the choices above stay narrow at any zoom.
    layout->addWidget(summary_);
    layout->addWidget(note_);
    scroll_ = new QScrollArea;
    scroll_->setWidget(figures);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    layout->addWidget(scroll_, 1);
    followFont();
    const QScreen* shownOn = screen();
    resize(wantedSize(shownOn ? shownOn->availableGeometry().size() : QSize(1920, 1080)));

    auto retake = [this] {
        takeFigures();
        showFigures();
    };
    connect(period_, &QComboBox::currentIndexChanged, this, retake);
    connect(filter_, &QComboBox::currentIndexChanged, this, retake);
    connect(chosenBy_, &QComboBox::currentIndexChanged, this, retake);
    connect(dayPitch_, &QComboBox::currentIndexChanged, this, [this] { showDays(); });
    connect(dailyGoal_, &DailyGoal::goalChanged, this, [this](int minutes) {
        showPractice();
        emit dailyGoalChanged(minutes);
    });
}

void ProgressWindow::setDailyGoalMinutes(int minutes) {
    if (minutes == dailyGoal_->minutes()) return;
    dailyGoal_->setMinutes(minutes);
    if (taken_) showPractice();
}

int ProgressWindow::dailyGoalMinutes() const {
    return dailyGoal_->minutes();
}

void ProgressWindow::takeFigures() {
    const auto [utc, offset] = Now();
    figures_ =
        statistics_.figures(static_cast<ProgressPeriod>(period_->currentIndex()),
                            static_cast<ProgressFilter>(filter_->currentIndex()), utc, offset,
                            static_cast<ProgressChosenBy>(chosenBy_->currentIndex()));
    taken_ = true;
}

void ProgressWindow::refresh() {
    if (!isVisible()) return;  // taken afresh when shown
    const auto [utc, offset] = Now();
    if (nextStep_) {
        if (weekTaken_) {
            statistics_.update(lastSevenDays_, utc, offset);
        } else {
            lastSevenDays_ = statistics_.figures(ProgressPeriod::LastSevenDays, ProgressFilter::All,
                                                 utc, offset);
            weekTaken_ = true;
        }
    }
    bool changed = true;
    if (!taken_) {
        takeFigures();
    } else {
        statistics_.update(figures_, utc, offset);
        const bool sameNames = !pitchNames_ || pitchNames_() == names_;
        changed = !sameNames || figures_.version != shownVersion_ || figures_.today != shownToday_;
    }
    if (changed) showFigures();
    if (nextStep_) nextStep_->follow(names_);
}

void ProgressWindow::setNote(const QString& note) {
    note_->setText(note);
    note_->setVisible(!note.isEmpty());
}

void ProgressWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    watch_->start();
    refresh();
}

void ProgressWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    watch_->stop();
}

// The fonts and sizes derived from the window's font, made again when it
// changes: the zoom sets the program's font while the window is open.
void ProgressWindow::followFont() {
    QFont bigger = font();
    bigger.setPointSizeF(font().pointSizeF() * 1.15);
    bigger.setBold(true);
    summary_->setFont(bigger);
    const QFontMetrics big(bigger);
    // Fixed sizes: a new text then repaints the label alone, without laying
    // out the whole window again on every answer.
    summary_->setFixedSize(
        big.horizontalAdvance(
            tr("%1 answers, %2 notes named: %3 right").arg("000,000,000", "000,000,000", "100%")) +
            big.averageCharWidth(),
        big.height() + 4);

    const QFontMetrics metrics = fontMetrics();
    topConfusions_->setFixedSize(
        metrics.horizontalAdvance(QStringLiteral("Cx taken for B#: 000,000,000 times")) +
            metrics.averageCharWidth(),
        6 * metrics.lineSpacing() + 4);
    // Each cell holds a count of up to four figures, or "12k"; each header a name.
    const int cellWidth = metrics.horizontalAdvance(ShortCount(9'999)) + metrics.averageCharWidth();
    const int cellHeight = metrics.height() + 4;
    const int nameWidth =
        metrics.horizontalAdvance(QStringLiteral("Cx")) + 2 * metrics.averageCharWidth();
    confusionView_->horizontalHeader()->setMinimumSectionSize(cellWidth);
    confusionView_->verticalHeader()->setMinimumSectionSize(cellHeight);
    confusionView_->verticalHeader()->setMinimumWidth(nameWidth);
    confusionView_->setMinimumSize(kPitchClasses * cellWidth + nameWidth + 4,
                                   (kPitchClasses + 1) * cellHeight + 8);

    const int row = metrics.height() + 6;
    instruments_->verticalHeader()->setDefaultSectionSize(row);
    instruments_->setMinimumHeight(5 * row);

    QFont bold = font();
    bold.setBold(true);
    daysInARow_->setFont(bold);
    // Enough of the figures to read one chart; the rest scroll.
    scroll_->setMinimumHeight(8 * metrics.lineSpacing());
}

QSize ProgressWindow::wantedSize(QSize room) const {
    // Every figure at its natural size, scrolled nowhere, where the screen has room.
    const QWidget* figures = scroll_->widget();
    const QSize inner = figures->sizeHint().expandedTo(figures->minimumSizeHint());
    const QMargins margins = layout()->contentsMargins();
    const int bar = scroll_->verticalScrollBar()->sizeHint().width();
    // Wider than the figures need, the charts of days show more days apart.
    const int wide = 62 * fontMetrics().height();
    const QSize natural(std::max({sizeHint().width(), wide,
                                  inner.width() + bar + margins.left() + margins.right()}),
                        sizeHint().height() - scroll_->sizeHint().height() + inner.height());
    return natural.boundedTo(room).expandedTo(enoughSize().boundedTo(room));
}

QSize ProgressWindow::enoughSize() const {
    // As narrow as the figures go without scrolling across; tall enough to
    // read a chart or two without scrolling at every step.
    const QMargins margins = layout()->contentsMargins();
    const int bar = scroll_->verticalScrollBar()->sizeHint().width();
    const int figures =
        scroll_->widget()->minimumSizeHint().width() + bar + margins.left() + margins.right();
    return {std::max(minimumSizeHint().width(), figures),
            minimumSizeHint().height() + 12 * fontMetrics().lineSpacing()};
}

void ProgressWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) followFont();
}

bool ProgressWindow::event(QEvent* event) {
    // The key signature may have changed meanwhile in the main window.
    if (event->type() == QEvent::WindowActivate) refresh();
    return QWidget::event(event);
}

void ProgressWindow::showFigures() {
    if (pitchNames_) names_ = pitchNames_();
    shownVersion_ = figures_.version;
    shownToday_ = figures_.today;
    const RightOfAsked notes = figures_.tally.notes();
    if (figures_.tally.answers == 0) {
        summary_->setText(tr("No answers yet in this period."));
    } else {
        summary_->setText(
            tr("%1 answers, %2 notes named: %3 right")
                .arg(Count(figures_.tally.answers), Count(notes.asked), Percent(notes.accuracy())));
    }
    showPitchClasses();
    showResponseTimes();
    showConfusions();
    showOctaves();
    showInstruments();
    // Both charts of days show the same days: the period's, up to today.
    practiceDays_ = statistics_.practiceDays();
    const int today = figures_.today;
    int first = today;
    if (!figures_.days.empty()) first = std::min(first, figures_.days.front().day);
    if (figures_.period == ProgressPeriod::LastSevenDays) first = today - 6;
    if (figures_.period == ProgressPeriod::AllTime && !practiceDays_.empty()) {
        first = std::min(first, practiceDays_.front().day);
    }
    dayRange_ = {first, today};
    showDays();
    showPractice();
}

void ProgressWindow::showPitchClasses() {
    // Mastery is over every single note the learner was asked, whatever the
    // period and questions chosen.
    const PitchMasteries mastery = statistics_.mastery().all();
    std::vector<ChartBar> bars;
    for (int pitchClass = 0; pitchClass < kPitchClasses; ++pitchClass) {
        const RightOfAsked count = figures_.tally.pitchClass(pitchClass);
        ChartBar bar;
        bar.label = ToQt(names_[pitchClass]);
        bar.footnote = count.asked == 0 ? QString() : ShortCount(count.asked);
        bar.mark = MarkOf(mastery[pitchClass].state);
        bar.faint = Few(count.asked);
        if (count.asked == 0) {
            bar.description = tr("%1: not asked").arg(bar.label);
        } else {
            bar.value = count.accuracy();
            bar.valueText = Percent(bar.value);
            bar.description = bar.label + ": " + RightOf(count) + FewWords(count.asked);
        }
        const PitchMastery& now = mastery[pitchClass];
        PitchMastery& shown = shownMastery_[pitchClass];
        if (masteryWords_[pitchClass].isEmpty() || now.state != shown.state ||
            now.attempts != shown.attempts || now.right != shown.right ||
            now.medianMilliseconds != shown.medianMilliseconds || now.days != shown.days) {
            shown = now;
            masteryWords_[pitchClass] = MasteryWords(now);
        }
        bar.description += ", " + masteryWords_[pitchClass];
        bars.push_back(bar);
    }
    pitchBars_->setBars(std::move(bars), 1.0, tr("No answers yet."));
}

void ProgressWindow::showResponseTimes() {
    std::vector<ChartBar> bars;
    int slowest = 0;
    for (int pitchClass = 0; pitchClass < kPitchClasses; ++pitchClass) {
        const int milliseconds = figures_.medianResponseMilliseconds(pitchClass);
        std::uint64_t timed = 0;
        for (std::uint32_t each : figures_.responses[pitchClass]) timed += each;
        ChartBar bar;
        bar.label = ToQt(names_[pitchClass]);
        bar.faint = Few(timed);
        if (milliseconds < 0) {
            bar.description = tr("%1: no response time").arg(bar.label);
        } else {
            bar.value = milliseconds;
            bar.valueText = Seconds(milliseconds);
            bar.description =
                tr("%1: half the answers within %2").arg(bar.label, Seconds(milliseconds)) +
                FewWords(timed);
            slowest = std::max(slowest, milliseconds);
        }
        bars.push_back(bar);
    }
    timeBars_->setBars(std::move(bars), slowest, tr("No response times yet."));
}

void ProgressWindow::showConfusions() {
    confusionModel_->show(figures_.tally, names_);
    const std::vector<Confusion> top = figures_.topConfusions(5);
    QStringList lines;
    for (const Confusion& confusion : top) {
        lines << ToQt(ConfusionWords(confusion, names_, Count(confusion.times).toStdString()));
    }
    const QString text = lines.isEmpty() ? tr("No confusions in this period.")
                                         : tr("Most often confused:") + "\n" + lines.join("\n");
    if (topConfusions_->text() == text) return;
    topConfusions_->setText(text);
    // Its name says what it is; the sentence is read as its description.
    topConfusions_->setAccessibleDescription(
        lines.isEmpty() ? text : tr("Most often confused: %1.").arg(lines.join("; ")));
}

void ProgressWindow::showOctaves() {
    int low = kOctaves;
    int high = -1;
    for (int i = 0; i < kOctaves; ++i) {
        if (figures_.tally.octaves[i].asked > 0) {
            low = std::min(low, i);
            high = std::max(high, i);
        }
    }
    std::vector<ChartBar> bars;
    for (int i = low; i <= high; ++i) {
        const RightOfAsked& count = figures_.tally.octaves[i];
        const QString octave = QString::number(i + kLowestOctave);
        ChartBar bar;
        bar.label = ToQt(names_[0]) + octave;
        bar.footnote = count.asked == 0 ? QString() : ShortCount(count.asked);
        bar.faint = Few(count.asked);
        if (count.asked == 0) {
            bar.description = tr("Octave %1: not asked").arg(octave);
        } else {
            bar.value = count.accuracy();
            bar.valueText = Percent(bar.value);
            bar.description =
                tr("Octave %1: %2").arg(octave, RightOf(count)) + FewWords(count.asked);
        }
        bars.push_back(bar);
    }
    octaveBars_->setBars(std::move(bars), 1.0,
                         figures_.filter == ProgressFilter::Shepard
                             ? tr("Shepard tones sound in every octave at once.")
                             : tr("No answers yet."));
}

void ProgressWindow::showInstruments() {
    std::vector<int> programs;
    for (int program = 0; program < kPrograms; ++program) {
        if (figures_.tally.instruments[program].asked > 0) programs.push_back(program);
    }
    std::stable_sort(programs.begin(), programs.end(), [this](int a, int b) {
        return figures_.tally.instruments[a].asked > figures_.tally.instruments[b].asked;
    });
    instruments_->setRowCount(static_cast<int>(programs.size()));
    const QBrush faint(FaintText(*instruments_));
    auto set = [this, &faint](int row, int column, const QString& text, const QString& description,
                              bool few) {
        QTableWidgetItem* item = instruments_->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            if (column > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            instruments_->setItem(row, column, item);
        }
        if (item->text() != text) item->setText(text);
        if (item->toolTip() != description) {
            item->setToolTip(description);
            item->setData(Qt::AccessibleDescriptionRole, description);
        }
        const QBrush foreground = few ? faint : QBrush();
        if (item->foreground() != foreground) item->setForeground(foreground);
    };
    for (std::size_t row = 0; row < programs.size(); ++row) {
        const int program = programs[row];
        const RightOfAsked& count = figures_.tally.instruments[program];
        const QString name =
            QString::number(program + 1) + " " + QString::fromUtf8(kInstrumentNames[program]);
        const bool few = Few(count.asked);
        const QString description = name + ": " + RightOf(count) + FewWords(count.asked);
        const int r = static_cast<int>(row);
        set(r, 0, name, description, few);
        set(r, 1, Count(count.asked), description, few);
        set(r, 2, Percent(count.accuracy()), description, few);
        const QColor shade = AccuracyColor(count.accuracy()).lighter(few ? 160 : 135);
        if (instruments_->item(r, 2)->background().color() != shade) {
            instruments_->item(r, 2)->setBackground(shade);
        }
    }
}

void ProgressWindow::showDays() {
    const int chosen = dayPitch_->currentIndex() - 1;
    for (int i = 0; i < kPitchClasses; ++i) {
        const QString name = ToQt(names_[i]);
        if (dayPitch_->itemText(i + 1) != name) dayPitch_->setItemText(i + 1, name);
    }
    // Words are made only for the days whose counts changed: on an answer, today.
    const bool sameWords = chosen == shownChosen_ && names_ == shownNames_;
    auto shown = shownDays_.cbegin();
    std::vector<DayPoint> points;
    points.reserve(figures_.days.size());
    for (const DayFigures& day : figures_.days) {
        const RightOfAsked all = day.notes();
        if (all.asked == 0) continue;
        DayPoint point;
        point.day = day.day;
        point.overall = all.accuracy();
        point.asked = all.asked;
        point.right = all.right;
        const RightOfAsked one = chosen >= 0 ? day.pitchClasses[chosen] : RightOfAsked{};
        point.chosen = chosen >= 0 ? one.accuracy() : -1;
        point.chosenAsked = one.asked;
        point.chosenRight = one.right;
        while (shown != shownDays_.cend() && shown->day < day.day) ++shown;
        if (sameWords && shown != shownDays_.cend() && shown->day == day.day &&
            shown->asked == point.asked && shown->right == point.right &&
            shown->chosenAsked == point.chosenAsked && shown->chosenRight == point.chosenRight) {
            point.description = shown->description;
            points.push_back(point);
            continue;
        }
        point.description = DayName(day.day) + ": " + RightOf(all) + FewWords(all.asked);
        if (chosen >= 0) {
            point.description += ", " + ToQt(names_[chosen]) + " " +
                                 (one.asked == 0 ? tr("not asked") : RightOf(one)) +
                                 FewWords(one.asked);
        }
        points.push_back(point);
    }
    shownDays_ = points;
    shownChosen_ = chosen;
    shownNames_ = names_;
    dayChart_->setPoints(std::move(points), chosen >= 0 ? ToQt(names_[chosen]) : QString(),
                         dayRange_);
}

void ProgressWindow::showPractice() {
    // Words are made only for the days whose figures changed: on an answer, today.
    auto shown = shownPractice_.cbegin();
    std::vector<PracticeBar> bars;
    for (const PracticeDay& day : practiceDays_) {
        if (day.day < dayRange_.first || day.day > dayRange_.last) continue;
        PracticeBar bar{day.day, day.answers, WholeMinutes(day.milliseconds), {}};
        while (shown != shownPractice_.cend() && shown->day < day.day) ++shown;
        if (shown != shownPractice_.cend() && shown->day == bar.day &&
            shown->answers == bar.answers && shown->minutes == bar.minutes) {
            bar.description = shown->description;
        } else {
            bar.description =
                tr("%1: %2 in %3")
                    .arg(DayName(day.day), AnswersWords(day.answers), MinutesWords(bar.minutes));
        }
        bars.push_back(std::move(bar));
    }
    shownPractice_ = bars;
    const int today = figures_.today;
    const int inARow = statistics_.daysInARow(today);
    const QString streak = DaysInARowWords(inARow);
    if (daysInARow_->text() != streak) daysInARow_->setText(streak);
    const PracticeDay practisedToday = !practiceDays_.empty() && practiceDays_.back().day == today
                                           ? practiceDays_.back()
                                           : PracticeDay{today, 0, 0};
    dailyGoal_->showToday(practisedToday.milliseconds);
    practiceChart_->setDays(
        std::move(bars), dayRange_, dailyGoal_->minutes(),
        tr("%1. Daily goal: %2. %3.")
            .arg(streak, MinutesWords(dailyGoal_->minutes()), dailyGoal_->todayText()));
}

}  // namespace velmora
