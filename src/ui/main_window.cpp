// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/main_window.h"

#include <QAbstractScrollArea>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "app/trainer.h"
#include "model/window_design.h"
#include "ui/accessible_names.h"
#include "ui/artwork.h"
#include "ui/bind_control.h"
#include "ui/control_binding.h"
#include "ui/design_font.h"
#include "ui/focus_mark.h"
#include "ui/help.h"
#include "ui/menu_bindings.h"
#include "ui/program_font.h"
#include "ui/status_line.h"
#include "ui/twips.h"
#include "ui/value_words.h"
#include "ui/widget_factory.h"
#include "ui/zoom.h"
#include "ui/zoom_style.h"

namespace velmora {

namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString NameOf(const ControlDesign& design) {
    return FromView(design.name);
}

}  // namespace

MainWindow::MainWindow(Trainer& trainer, QWidget* parent) : QMainWindow(parent), trainer_(trainer) {
    setWindowTitle(FromView(kWindowCaption));
    setWindowIcon(WindowIcon());

    stage_ = new QWidget(this);
    stage_->setObjectName("stage");
    stage_->setMinimumSize(ClientSize(kSmallestZoom));
    stage_->installEventFilter(this);
    setCentralWidget(stage_);
    client_ = new QWidget(stage_);
    client_->setObjectName("client");
    client_->setFixedSize(ClientSize(zoom_));
    desktopFont_ = ProgramFont::DesktopFont();
    client_->setFont(DesignFont(desktopFont_, zoom_));

    buildClientArea();
    buildMenus();
    setTabOrder();

    soundStatus_ = new StatusLine(this);
    statusBar()->addWidget(soundStatus_, 1);
    tryAgain_ = new QToolButton(this);
    tryAgain_->setObjectName("tryAgain");
    tryAgain_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tryAgain_->hide();
    statusBar()->addWidget(tryAgain_);
    midiInputStatus_ = new StatusLine(this);
    midiInputStatus_->setAccessibleName(tr("MIDI input"));
    midiInputStatus_->hide();
    statusBar()->addWidget(midiInputStatus_, 1);
    journalStatus_ = new StatusLine(this);
    journalStatus_->setAccessibleName(tr("practice journal"));
    journalStatus_->hide();
    statusBar()->addWidget(journalStatus_, 1);
    hearingStatus_ = new StatusLine(this);
    hearingStatus_->setAccessibleName(tr("hearing your answer"));
    hearingStatus_->hide();
    statusBar()->insertWidget(0, hearingStatus_);
    resize(aroundStage() + ClientSize(zoom_));

    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget*, QWidget* now) { followQtFocus(now); });
}

MainWindow::~MainWindow() {
    // Widgets are about to go; neither Qt's focus moves nor panel changes
    // may reach them from here on.
    disconnect(focusConnection_);
    bindings_.clear();
}

void MainWindow::buildClientArea() {
    Panel& panel = trainer_.panel();
    // Frames first, so that every control finds its container.
    std::vector<const ControlDesign*> designs;
    for (const ControlDesign& design : WindowDesign()) designs.push_back(&design);
    std::stable_partition(designs.begin(), designs.end(), [](const ControlDesign* design) {
        return design->kind == ControlKind::Frame;
    });

    for (const ControlDesign* design : designs) {
        const QString name = NameOf(*design);
        QWidget* container =
            design->container.empty() ? client_ : widgets_.value(FromView(design->container));
        Control* control = panel.find(design->name);
        if (!container || !control) {
            qWarning("velmora: no place or control for %s", qPrintable(name));
            continue;
        }
        QWidget* widget = CreateWidget(*design, container);
        if (!widget) continue;  // not shown, as a timer
        std::unique_ptr<WidgetBinding> binding = BindControl(*control, *design, widget);
        if (!binding) {
            qWarning("velmora: %s is not of the kind its design says", qPrintable(name));
            delete widget;
            continue;
        }
        widgets_.insert(name, widget);
        controlOf_.insert(widget, control);
        binding->start();
        bindings_.push_back(std::move(binding));
    }

    // The styles draw no focus on scroll bars and lists.
    for (QWidget* widget : std::as_const(widgets_)) {
        QWidget* face = FaceOf(widget);
        if (face->focusPolicy() != Qt::NoFocus &&
            (qobject_cast<QAbstractScrollArea*>(face) || qobject_cast<QScrollBar*>(face))) {
            ShowFocusMark(*face);
        }
    }
    wordScrollBarValues();

    const QCursor hand = PointingHandCursor();
    for (const Button& button : panel.cmdAnswerButton) {
        if (QWidget* widget = widgetOf(QString::fromStdString(button.name()))) {
            widget->setCursor(hand);
        }
    }
}

// Screen readers read each bar's value as the window shows it beside the bar.
void MainWindow::wordScrollBarValues() {
    const auto bar = [this](const char* name) { return qobject_cast<QScrollBar*>(widgetOf(name)); };
    for (auto [barName, labelName] :
         {std::pair{"vsbMinimum", "lblMinimum"}, std::pair{"vsbMaximum", "lblMaximum"},
          std::pair{"vsbNoteRange(0)", "lblNoteRange(0)"},
          std::pair{"vsbNoteRange(1)", "lblNoteRange(1)"}}) {
        QPointer<QLabel> label = qobject_cast<QLabel*>(widgetOf(labelName));
        if (QScrollBar* shown = bar(barName); shown && label) {
            SetValueWords(*shown, [label](int) { return label ? label->text() : QString(); });
        }
    }
    if (QScrollBar* time = bar("vsbAlottedTimeForExercise")) {
        SetValueWords(*time, [](int seconds) { return MinutesInWords(seconds); });
    }
    if (QScrollBar* tempo = bar("vsbTempo")) {
        SetValueWords(*tempo, [](int beats) { return tr("%1 beats per minute").arg(beats); });
    }
}

void MainWindow::buildMenus() {
    Panel& panel = trainer_.panel();
    auto addMenu = [this](Menu& menu, auto& items) {
        QMenu* widget = menuBar()->addMenu(QString());
        auto menuBinding = std::make_unique<MenuBinding>(menu, widget);
        menuBinding->start();
        bindings_.push_back(std::move(menuBinding));
        for (MenuItem& item : items) {
            auto itemBinding =
                std::make_unique<MenuItemBinding>(item, widget->addAction(QString()));
            itemBinding->start();
            bindings_.push_back(std::move(itemBinding));
        }
        return widget;
    };
    exerciseMenu_ = addMenu(panel.mnuDefaultExercises, panel.mnuSelectExercise);
    addMenu(panel.mnuRange, panel.mnuSetRange);
    addMenu(panel.mnuKeyboardShortcuts, panel.mnu_keyshortcut);
    practiceMenu_ = menuBar()->addMenu(tr("P&ractice"));
    practiceMenu_->setObjectName("mnuPractice");
    buildViewMenu();
    soundMenu_ = menuBar()->addMenu(tr("&Sound"));
    soundMenu_->setObjectName("mnuSound");
    // Inside Sound, so that every title fits on the bar above the design.
    soundMenu_->addSeparator();
    midiInputMenu_ = soundMenu_->addMenu(tr("&MIDI Input"));
    midiInputMenu_->setObjectName("mnuMidiInput");
    progressMenu_ = menuBar()->addMenu(tr("&Progress"));
    progressMenu_->setObjectName("mnuProgress");
    buildHelpMenu();
}

void MainWindow::setTabOrder() {
    std::vector<const ControlDesign*> order;
    for (const ControlDesign& design : WindowDesign()) {
        QWidget* widget = widgetOf(NameOf(design));
        if (widget && design.tabOrder >= 0 && FaceOf(widget)->focusPolicy() != Qt::NoFocus) {
            order.push_back(&design);
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto* a, const auto* b) { return a->tabOrder < b->tabOrder; });
    // The widgets that take the focus themselves: a one-row list's inner list.
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(FaceOf(widgetOf(NameOf(*order[i - 1]))),
                             FaceOf(widgetOf(NameOf(*order[i]))));
    }
}

// Qt's focus moved, by the user or the window system: the panel follows.
void MainWindow::followQtFocus(QWidget* now) {
    Control* control = nullptr;
    for (QWidget* widget = now; widget && !control; widget = widget->parentWidget()) {
        control = controlOf_.value(widget);
    }
    // Focus outside the window, as in another application, is no control's.
    if (now && now->window() != this) return;
    trainer_.panel().focus().moveTo(control);
}

QWidget* MainWindow::widgetOf(const QString& controlName) const {
    return widgets_.value(controlName);
}

void MainWindow::setSoundStatus(const QString& text, bool problem) {
    soundStatus_->setMessage(text, problem);
    tryAgain_->setVisible(problem && tryAgain_->defaultAction() != nullptr);
}

void MainWindow::setTryAgain(QAction* action) {
    tryAgain_->setDefaultAction(action);
    tryAgain_->setVisible(soundStatus_->problem() && action != nullptr);
}

void MainWindow::setMidiInputStatus(const QString& text) {
    midiInputStatus_->setMessage(text);
    midiInputStatus_->setVisible(!text.isEmpty());
}

void MainWindow::setJournalStatus(const QString& text) {
    journalStatus_->setMessage(text);
    journalStatus_->setVisible(!text.isEmpty());
}

void MainWindow::setHearingStatus(const QString& text) {
    hearingStatus_->setMessage(text);
    hearingStatus_->setVisible(!text.isEmpty());
}

void MainWindow::buildViewMenu() {
    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName("mnuView");
    zoomIn_ = view->addAction(tr("Zoom &In"), this, [this] {
        // Where the next step does not fit, nothing changes.
        const int zoom = ZoomInWithin(zoom_, largestZoom());
        if (zoom != zoom_) setZoomPercent(zoom);
    });
    // Ctrl+= is Ctrl++ without Shift on many keyboards.
    zoomIn_->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    zoomOut_ =
        view->addAction(tr("Zoom &Out"), this, [this] { setZoomPercent(ZoomOutFrom(zoom_)); });
    zoomOut_->setShortcut(QKeySequence::ZoomOut);
    actualSize_ =
        view->addAction(tr("&Actual Size"), this, [this] { setZoomPercent(kSmallestZoom); });
    actualSize_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    view->addSeparator();
    zoomSteps_ = new QActionGroup(this);
    for (int step : ZoomSteps()) {
        QAction* action =
            view->addAction(tr("%1 %").arg(step), this, [this, step] { setZoomPercent(step); });
        action->setCheckable(true);
        action->setData(step);
        zoomSteps_->addAction(action);
    }
    fittedZoom_ = view->addAction(QString());
    fittedZoom_->setCheckable(true);
    fittedZoom_->setEnabled(false);
    zoomSteps_->addAction(fittedZoom_);
    connect(view, &QMenu::aboutToShow, this, &MainWindow::refreshViewMenu);
    refreshViewMenu();
}

// The zoom in use checked; what would not change it, or not fit, disabled.
void MainWindow::refreshViewMenu() {
    if (!zoomSteps_) return;
    const int largest = largestZoom();
    zoomIn_->setEnabled(ZoomInWithin(zoom_, largest) != zoom_);
    zoomOut_->setEnabled(zoom_ > kSmallestZoom);
    actualSize_->setEnabled(zoom_ != kSmallestZoom);
    bool stepInUse = false;
    for (QAction* step : zoomSteps_->actions()) {
        if (step == fittedZoom_) continue;
        const int percent = step->data().toInt();
        step->setChecked(percent == zoom_);
        step->setEnabled(percent <= std::max(largest, zoom_));
        stepInUse = stepInUse || percent == zoom_;
    }
    fittedZoom_->setText(tr("%1 % (as large as the window)").arg(zoom_));
    fittedZoom_->setChecked(!stepInUse);
    fittedZoom_->setVisible(!stepInUse);
}

void MainWindow::buildHelpMenu() {
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->setObjectName("mnuHelp");
    help->addAction(tr("&How to practise"), this, &MainWindow::showGuide)
        ->setShortcut(QKeySequence::HelpContents);
    help->addAction(tr("&About Velmora"), this, &MainWindow::showAbout);
}

void MainWindow::showGuide() {
    if (!guide_) {
        // A window holding the text, so that screen readers offer it as one.
        auto* window = new QWidget(this, Qt::Window);
        window->setObjectName("guideWindow");
        PresentAsWindow(*window);
        window->setWindowTitle(tr("How to practise — Velmora"));
        auto* browser = new QTextBrowser(window);
        browser->setObjectName("guide");
        browser->setAccessibleName(tr("How to practise"));
        browser->setOpenExternalLinks(true);
        browser->setHtml(GuideHtml());
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(browser);
        // About 75 characters across, as text reads best.
        const int line = browser->fontMetrics().height();
        window->resize(40 * line, 40 * line);
        guide_ = window;
    }
    guide_->show();
    guide_->raise();
    guide_->activateWindow();
}

void MainWindow::setSoundDescription(std::function<QString()> describe) {
    soundDescription_ = std::move(describe);
}

void MainWindow::showAbout() {
    QMessageBox::about(this, tr("About Velmora"),
                       AboutHtml(soundDescription_ ? soundDescription_() : QString()));
}

void MainWindow::setZoomPercent(int percent) {
    const bool filled = isMaximized() || isFullScreen();
    const int zoom = std::min(std::clamp(percent, kSmallestZoom, kLargestZoom), largestZoom());
    const bool changed = zoom != chosenZoom_;
    chosenZoom_ = zoom;
    // The menus and status lines first: the window is sized around them.
    ProgramFont::Apply(zoom);
    // The application's font reaches windows later; these two are set now,
    // and their new heights, posted as layout requests, taken now.
    menuBar()->setFont(ProgramFont::At(zoom, "QMenuBar"));
    statusBar()->setFont(ProgramFont::At(zoom, "QStatusBar"));
    for (int depth = 0; depth < 3; ++depth) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    }
    applyZoom(zoom);
    if (!filled) resize(aroundStage() + ClientSize(zoom));
    placeClient();
    refreshViewMenu();
    if (changed) emit zoomChanged(zoom);
}

int MainWindow::startZoomPercent() {
    return std::min(ZoomForTextOf(QFontInfo(ProgramFont::DesktopFont()).pointSizeF()),
                    largestZoomOnScreen());
}

void MainWindow::applyZoom(int percent) {
    if (percent == zoom_) return;
    zoom_ = percent;
    // At the design's own size the desktop's style draws it unchanged.
    // A child of the window, so that it outlives the widgets drawn with it.
    ZoomStyle* style = percent == kSmallestZoom ? nullptr : new ZoomStyle(percent);
    if (style) style->setParent(this);
    SetStyleWithin(client_, style);
    delete std::exchange(zoomStyle_, style);
    client_->setFixedSize(ClientSize(percent));
    client_->setFont(DesignFont(desktopFont_, percent));
    // Frames come first in the design, so a control's container is done
    // before the control.
    for (const ControlDesign& design : WindowDesign()) {
        if (QWidget* widget = widgetOf(NameOf(design))) PlaceWidget(widget, design, percent);
    }
}

// The user resized the window: the design fills it, keeping its proportions.
// The zoom chosen stays what it was, and is what the next start opens with.
void MainWindow::fitZoomToStage() {
    const int fit = FittingZoom(stage_->size());
    if (fit != zoom_) applyZoom(fit);
    placeClient();
    refreshViewMenu();
}

void MainWindow::placeClient() {
    const QSize room = stage_->size() - client_->size();
    client_->move(std::max(0, room.width() / 2), std::max(0, room.height() / 2));
}

// What the window adds around the client area: the menu bar and status line.
QSize MainWindow::aroundStage() {
    layout()->activate();
    return size() - stage_->size();
}

// A window that cannot grow keeps the design whole inside it.
int MainWindow::largestZoom() {
    return isMaximized() || isFullScreen() ? FittingZoom(stage_->size()) : largestZoomOnScreen();
}

int MainWindow::largestZoomOnScreen() {
    const QScreen* shown = screen();
    if (!shown) return kLargestZoom;
    // Before the window is shown its frame is not known: room for a title bar.
    const QSize frame = isVisible() ? frameGeometry().size() - geometry().size() : QSize(8, 40);
    return FittingZoom(shown->availableGeometry().size() - frame - aroundStage());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == stage_ && event->type() == QEvent::Resize) fitZoomToStage();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    emit closing();
    event->accept();
}

}  // namespace velmora
