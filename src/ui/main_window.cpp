#include "ui/main_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/trainer.h"

namespace velmora {

namespace {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

// Scroll bars here have the larger value at the top; Qt's vertical bars have it
// at the bottom, so the widget holds the negated value.
int ToWidgetValue(int value) {
    return -value;
}
int FromWidgetValue(int value) {
    return -value;
}

}  // namespace

MainWindow::MainWindow(Trainer& trainer, QWidget* parent) : QMainWindow(parent), trainer_(trainer) {
    setWindowTitle("Velmora");

    auto* central = new QWidget(this);
    auto* form = new QFormLayout;

    instrument_ = new QComboBox(central);
    instrument_->setAccessibleName("Instrument");
    form->addRow("Instrument", instrument_);

    duration_ = new QListWidget(central);
    duration_->setAccessibleName("note duration");
    duration_->setMaximumHeight(100);
    form->addRow("note duration", duration_);

    auto* tempoRow = new QHBoxLayout;
    tempo_ = new QScrollBar(Qt::Vertical, central);
    tempo_->setAccessibleName("Tempo");
    tempo_->setSingleStep(1);
    tempo_->setPageStep(10);
    tempo_->setFixedHeight(40);
    tempoLabel_ = new QLabel(central);
    tempoLabel_->setFrameShape(QFrame::Box);
    tempoRow->addWidget(tempoLabel_);
    tempoRow->addWidget(tempo_);
    tempoRow->addStretch();
    form->addRow("Tempo", tempoRow);

    auto* playRow = new QHBoxLayout;
    testNote_ = new QPushButton("Play middle C", central);
    testNote_->setToolTip("Check the sound: plays C4 once");
    questionNumber_ = new QLabel(central);
    questionNumber_->setAccessibleName("Question number");
    playRow->addWidget(testNote_);
    playRow->addWidget(questionNumber_);
    playRow->addStretch();

    auto* layout = new QVBoxLayout(central);
    layout->addLayout(form);
    layout->addLayout(playRow);
    layout->addStretch();
    setCentralWidget(central);

    soundStatus_ = new QLabel(this);
    soundStatus_->setAccessibleName("Sound output");
    statusBar()->addWidget(soundStatus_, 1);

    bindControls();
}

MainWindow::~MainWindow() {
    Panel& panel = trainer_.panel();
    panel.cboInstrument.setViewObserver(nullptr);
    panel.lstDuration.setViewObserver(nullptr);
    panel.vsbTempo.setViewObserver(nullptr);
    panel.lblTempo.setViewObserver(nullptr);
    panel.lblQuestionNumber.setViewObserver(nullptr);
}

void MainWindow::setSoundStatus(const QString& text) {
    soundStatus_->setText(text);
}

void MainWindow::bindControls() {
    Panel& panel = trainer_.panel();

    // Panel -> widgets.
    auto syncInstrument = [this, &panel] {
        syncing_ = true;
        if (instrument_->count() != panel.cboInstrument.count()) {
            instrument_->clear();
            for (const auto& item : panel.cboInstrument.items()) instrument_->addItem(ToQt(item));
        }
        instrument_->setCurrentIndex(panel.cboInstrument.listIndex());
        instrument_->setToolTip(ToQt(panel.cboInstrument.toolTip()));
        instrument_->setEnabled(panel.cboInstrument.enabled());
        syncing_ = false;
    };
    auto syncDuration = [this, &panel] {
        syncing_ = true;
        if (duration_->count() != panel.lstDuration.count()) {
            duration_->clear();
            for (const auto& item : panel.lstDuration.items()) duration_->addItem(ToQt(item));
        }
        duration_->setCurrentRow(panel.lstDuration.listIndex());
        duration_->setToolTip(ToQt(panel.lstDuration.toolTip()));
        duration_->setEnabled(panel.lstDuration.enabled());
        syncing_ = false;
    };
    auto syncTempo = [this, &panel] {
        syncing_ = true;
        tempo_->setRange(ToWidgetValue(panel.vsbTempo.maximum()),
                         ToWidgetValue(panel.vsbTempo.minimum()));
        tempo_->setValue(ToWidgetValue(panel.vsbTempo.value()));
        tempo_->setEnabled(panel.vsbTempo.enabled());
        syncing_ = false;
    };
    auto syncTempoLabel = [this, &panel] {
        tempoLabel_->setText(ToQt(panel.lblTempo.caption()));
        tempoLabel_->setToolTip(ToQt(panel.lblTempo.toolTip()));
    };
    auto syncQuestionNumber = [this, &panel] {
        questionNumber_->setText(ToQt(panel.lblQuestionNumber.caption()));
    };
    panel.cboInstrument.setViewObserver(syncInstrument);
    panel.lstDuration.setViewObserver(syncDuration);
    panel.vsbTempo.setViewObserver(syncTempo);
    panel.lblTempo.setViewObserver(syncTempoLabel);
    panel.lblQuestionNumber.setViewObserver(syncQuestionNumber);
    syncInstrument();
    syncDuration();
    syncTempo();
    syncTempoLabel();
    syncQuestionNumber();

    // Widgets -> panel, which runs the handlers.
    connect(instrument_, &QComboBox::currentIndexChanged, this, [this, &panel](int index) {
        if (!syncing_) panel.cboInstrument.setListIndex(index);
    });
    connect(duration_, &QListWidget::currentRowChanged, this, [this, &panel](int row) {
        if (!syncing_) panel.lstDuration.setListIndex(row);
    });
    connect(tempo_, &QScrollBar::valueChanged, this, [this, &panel](int value) {
        if (!syncing_) panel.vsbTempo.setValue(FromWidgetValue(value));
    });
    connect(testNote_, &QPushButton::clicked, this, [this] { playTestNote(); });
}

void MainWindow::playTestNote() {
    TrainerState& state = trainer_.state();
    if (state.exerciseRunning || trainer_.playback().isWaiting()) return;
    state.questionNotes = {60};
    trainer_.playback().PlayQuestion(nullptr);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    trainer_.Form_Unload();
    event->accept();
}

}  // namespace velmora
