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
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "model/instrument_names.h"
#include "ui/control_binding.h"
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

QString Percent(double share) {
    return QString::number(static_cast<int>(std::lround(share * 100))) + "%";
}

QString Seconds(int milliseconds) {
    return QLocale().toString(milliseconds / 1000.0, 'f', milliseconds < 10'000 ? 1 : 0) + " s";
}

QString RightOf(const RightOfAsked& count) {
    return ProgressWindow::tr("%1 right of %2 (%3)")
        .arg(Count(count.right), Count(count.asked), Percent(count.accuracy()));
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
                               QWidget* parent)
    : QWidget(parent, Qt::Window), statistics_(statistics), pitchNames_(std::move(pitchNames)) {
    setWindowTitle(tr("Progress"));
    // A look once a minute costs nothing unless the day has changed.
    midnight_ = new QTimer(this);
    midnight_->setInterval(60'000);
    connect(midnight_, &QTimer::timeout, this, &ProgressWindow::refresh);
    setAccessibleName(tr("Progress"));

    period_ = new QComboBox;
    period_->addItems({tr("This run"), tr("Today"), tr("Last 7 days"), tr("All time")});
    period_->setCurrentIndex(3);
    period_->setAccessibleName(tr("Period"));
    filter_ = new QComboBox;
    filter_->addItems({tr("All questions"), tr("Single notes"), tr("Chords"), tr("Shepard")});
    filter_->setAccessibleName(tr("Questions"));
    summary_ = new QLabel;
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont bigger = summary_->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.15);
    bigger.setBold(true);
    summary_->setFont(bigger);
    // Fixed sizes: a new text then repaints the label alone, without laying
    // out the whole window again on every answer.
    summary_->setFixedSize(
        QFontMetrics(bigger).horizontalAdvance(
            tr("%1 answers, %2 notes named: %3 right").arg("000,000,000", "000,000,000", "100%")) +
            8,
        QFontMetrics(bigger).height() + 4);
    note_ = new QLabel;
    note_->setVisible(false);

    auto* periodLabel = new QLabel(tr("&Period:"));
    periodLabel->setBuddy(period_);
    auto* filterLabel = new QLabel(tr("&Questions:"));
    filterLabel->setBuddy(filter_);
    auto* top = new QHBoxLayout;
    top->addWidget(periodLabel);
    top->addWidget(period_);
    top->addSpacing(12);
    top->addWidget(filterLabel);
    top->addWidget(filter_);
    top->addSpacing(18);
    top->addWidget(summary_);
    top->addStretch(1);

    pitchBars_ = new BarChart(tr("Accuracy per pitch class"), true);
    timeBars_ = new BarChart(tr("Median response time per pitch class"), false);

    confusionModel_ = new ConfusionModel(this);
    confusionView_ = new QTableView;
    confusionView_->setModel(confusionModel_);
    confusionView_->setAccessibleName(tr("Confusions: pitch class asked, by pitch class answered"));
    confusionView_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    confusionView_->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    confusionView_->horizontalHeader()->setMinimumSectionSize(30);
    confusionView_->verticalHeader()->setMinimumSectionSize(18);
    confusionView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    confusionView_->setSelectionMode(QAbstractItemView::SingleSelection);
    confusionView_->setMinimumSize(12 * 34 + 40, 12 * 20 + 28);
    confusionView_->setToolTip(tr("Rows: the note asked. Columns: the note answered."));
    topConfusions_ = new QLabel;
    topConfusions_->setFixedSize(
        fontMetrics().horizontalAdvance(QStringLiteral("Cx taken for B#: 000,000,000 times")) + 8,
        6 * fontMetrics().lineSpacing() + 4);
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
    instruments_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    instruments_->setMinimumHeight(110);

    dayPitch_ = new QComboBox;
    dayPitch_->setAccessibleName(tr("Pitch class shown beside all notes"));
    dayPitch_->addItem(tr("All notes only"));
    for (int i = 0; i < kPitchClasses; ++i) dayPitch_->addItem(QString());
    dayChart_ = new DayChart;
    auto* dayTop = new QHBoxLayout;
    auto* dayPitchLabel = new QLabel(tr("Also &show:"));
    dayPitchLabel->setBuddy(dayPitch_);
    dayTop->addWidget(dayPitchLabel);
    dayTop->addWidget(dayPitch_);
    dayTop->addStretch(1);
    auto* dayBox = new QGroupBox(tr("Accuracy per day"));
    auto* dayLayout = new QVBoxLayout(dayBox);
    dayLayout->setContentsMargins(8, 6, 8, 8);
    dayLayout->addLayout(dayTop);
    dayLayout->addWidget(dayChart_, 1);

    auto* confusionBox =
        Section(tr("Confusions (rows: asked, columns: answered)"), confusionView_, topConfusions_);
    auto* grid = new QGridLayout;
    grid->setSpacing(10);
    grid->addWidget(Section(tr("Accuracy per pitch class"), pitchBars_), 0, 0);
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
    grid->setRowStretch(3, 3);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(note_);
    layout->addLayout(grid, 1);
    resize(1040, 860);

    auto retake = [this] {
        takeFigures();
        showFigures();
    };
    connect(period_, &QComboBox::currentIndexChanged, this, retake);
    connect(filter_, &QComboBox::currentIndexChanged, this, retake);
    connect(dayPitch_, &QComboBox::currentIndexChanged, this, [this] { showDays(); });
}

void ProgressWindow::takeFigures() {
    const auto [utc, offset] = Now();
    figures_ =
        statistics_.figures(static_cast<ProgressPeriod>(period_->currentIndex()),
                            static_cast<ProgressFilter>(filter_->currentIndex()), utc, offset);
    taken_ = true;
}

void ProgressWindow::refresh() {
    if (!isVisible()) return;  // taken afresh when shown
    if (!taken_) {
        takeFigures();
    } else {
        const auto [utc, offset] = Now();
        statistics_.update(figures_, utc, offset);
        const bool sameNames = !pitchNames_ || pitchNames_() == names_;
        if (sameNames && figures_.version == shownVersion_ && figures_.today == shownToday_) return;
    }
    showFigures();
}

void ProgressWindow::setNote(const QString& note) {
    note_->setText(note);
    note_->setVisible(!note.isEmpty());
}

void ProgressWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    midnight_->start();
    refresh();
}

void ProgressWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    midnight_->stop();
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
    showDays();
}

void ProgressWindow::showPitchClasses() {
    std::vector<ChartBar> bars;
    for (int pitchClass = 0; pitchClass < kPitchClasses; ++pitchClass) {
        const RightOfAsked count = figures_.tally.pitchClass(pitchClass);
        ChartBar bar;
        bar.label = ToQt(names_[pitchClass]);
        bar.footnote = count.asked == 0 ? QString() : ShortCount(count.asked);
        if (count.asked == 0) {
            bar.description = tr("%1: not asked").arg(bar.label);
        } else {
            bar.value = count.accuracy();
            bar.valueText = Percent(bar.value);
            bar.description = bar.label + ": " + RightOf(count);
        }
        bars.push_back(bar);
    }
    pitchBars_->setBars(std::move(bars), 1.0, tr("No answers yet."));
}

void ProgressWindow::showResponseTimes() {
    std::vector<ChartBar> bars;
    int slowest = 0;
    for (int pitchClass = 0; pitchClass < kPitchClasses; ++pitchClass) {
        const int milliseconds = figures_.medianResponseMilliseconds(pitchClass);
        ChartBar bar;
        bar.label = ToQt(names_[pitchClass]);
        if (milliseconds < 0) {
            bar.description = tr("%1: no response time").arg(bar.label);
        } else {
            bar.value = milliseconds;
            bar.valueText = Seconds(milliseconds);
            bar.description =
                tr("%1: half the answers within %2").arg(bar.label, Seconds(milliseconds));
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
    if (topConfusions_->text() != text) topConfusions_->setText(text);
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
        if (count.asked == 0) {
            bar.description = tr("Octave %1: not asked").arg(octave);
        } else {
            bar.value = count.accuracy();
            bar.valueText = Percent(bar.value);
            bar.description = tr("Octave %1: %2").arg(octave, RightOf(count));
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
    auto set = [this](int row, int column, const QString& text, const QString& description) {
        QTableWidgetItem* item = instruments_->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            if (column > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            instruments_->setItem(row, column, item);
        }
        if (item->text() != text) item->setText(text);
        if (item->toolTip() != description) item->setToolTip(description);
    };
    for (std::size_t row = 0; row < programs.size(); ++row) {
        const int program = programs[row];
        const RightOfAsked& count = figures_.tally.instruments[program];
        const QString name =
            QString::number(program + 1) + " " + QString::fromUtf8(kInstrumentNames[program]);
        const QString description = name + ": " + RightOf(count);
        const int r = static_cast<int>(row);
        set(r, 0, name, description);
        set(r, 1, Count(count.asked), description);
        set(r, 2, Percent(count.accuracy()), description);
        instruments_->item(r, 2)->setBackground(AccuracyColor(count.accuracy()).lighter(135));
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
        const QString date =
            QLocale().toString(QDate(1970, 1, 1).addDays(day.day), "ddd d MMM yyyy");
        point.description = date + ": " + RightOf(all);
        if (chosen >= 0) {
            point.description += ", " + ToQt(names_[chosen]) + " " +
                                 (one.asked == 0 ? tr("not asked") : RightOf(one));
        }
        points.push_back(point);
    }
    shownDays_ = points;
    shownChosen_ = chosen;
    shownNames_ = names_;
    dayChart_->setPoints(std::move(points), chosen >= 0 ? ToQt(names_[chosen]) : QString());
}

}  // namespace velmora
