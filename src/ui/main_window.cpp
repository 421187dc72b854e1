#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>
#include <QStatusBar>

#include <algorithm>

#include "app/trainer.h"
#include "model/window_design.h"
#include "ui/artwork.h"
#include "ui/bind_control.h"
#include "ui/control_binding.h"
#include "ui/design_font.h"
#include "ui/menu_bindings.h"
#include "ui/status_line.h"
#include "ui/twips.h"
#include "ui/widget_factory.h"

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

    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setFixedSize(ToPixels(kClientWidthTwips), ToPixels(kClientHeightTwips));
    client_->setFont(DesignFont(client_->font()));
    setCentralWidget(client_);

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
    statusBar()->setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

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

    const QCursor hand = PointingHandCursor();
    for (const Button& button : panel.cmdAnswerButton) {
        if (QWidget* widget = widgetOf(QString::fromStdString(button.name()))) {
            widget->setCursor(hand);
        }
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
    };
    addMenu(panel.mnuDefaultExercises, panel.mnuSelectExercise);
    addMenu(panel.mnuRange, panel.mnuSetRange);
    addMenu(panel.mnuKeyboardShortcuts, panel.mnu_keyshortcut);
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

void MainWindow::closeEvent(QCloseEvent* event) {
    trainer_.Form_Unload();
    event->accept();
}

}  // namespace velmora
