// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QFont>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QToolButton>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;

namespace velmora {

class Control;
class ControlBinding;
class StatusLine;
class ZoomStyle;
class Trainer;

// The trainer's window, built from the window design: a view over the panel.
// User input goes into the panel, which runs the handlers; panel changes come
// back through the controls' observers.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(Trainer& trainer, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The line under the window that says which sound output is in use, or
    // what is wrong with it; a problem comes with the Try Again button.
    void setSoundStatus(const QString& text, bool problem = false);
    // What the Try Again button beside a sound problem does.
    void setTryAgain(QAction* action);
    // Beside it: the MIDI input in use, or what is wrong with it; nothing
    // while no input is chosen.
    void setMidiInputStatus(const QString& text);
    // Beside them: what is wrong with the practice journal; nothing while all is well.
    void setJournalStatus(const QString& text);
    // First of all, while an answer is heard again: what sounds now ("you: E4").
    void setHearingStatus(const QString& text);

    // The widget that shows the named control, or null (timers, menus).
    QWidget* widgetOf(const QString& controlName) const;

    // How large the design is drawn, in percent (100 to 300). Setting it
    // sizes the window to fit, as far as the screen allows, and sets the
    // text of every window; resizing the window draws the design as large as
    // fits it, and leaves the zoom chosen as it was.
    int zoomPercent() const { return zoom_; }
    void setZoomPercent(int percent);
    // The zoom last set, by the user or at start: what is remembered.
    int chosenZoomPercent() const { return chosenZoom_; }
    // The zoom at which the controls' text is as large as the desktop's
    // normal text, as far as the screen allows.
    int startZoomPercent();

    // Select Exercise, with one item for each exercise in the panel's order.
    QMenu* exerciseMenu() const { return exerciseMenu_; }
    // Practice, right after the design's three menus.
    QMenu* practiceMenu() const { return practiceMenu_; }
    // The menus filled by the parts that own them, empty until then. The
    // window makes every menu, in the order they stand in the menu bar;
    // MIDI Input stands at the end of Sound.
    QMenu* soundMenu() const { return soundMenu_; }
    QMenu* midiInputMenu() const { return midiInputMenu_; }
    QMenu* progressMenu() const { return progressMenu_; }

    // Tells the About box what plays now.
    void setSoundDescription(std::function<QString()> describe);
    void showGuide();
    void showAbout();

signals:
    // The user chose another zoom (not a resized window).
    void zoomChanged(int percent);
    // The window is being closed, by the user or by the program's way out.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildClientArea();
    void wordScrollBarValues();
    void buildMenus();
    void buildViewMenu();
    void buildHelpMenu();
    void applyZoom(int percent);
    void fitZoomToStage();
    void refreshViewMenu();
    void placeClient();
    QSize aroundStage();
    int largestZoom();
    int largestZoomOnScreen();
    void setTabOrder();
    void followQtFocus(QWidget* now);

    Trainer& trainer_;
    QWidget* stage_ = nullptr;  // the window's area under the menus; holds the client area
    QWidget* client_ = nullptr;
    QFont desktopFont_;
    int zoom_ = 100;
    int chosenZoom_ = 100;
    ZoomStyle* zoomStyle_ = nullptr;  // for every zoom but the design's own
    QAction* zoomIn_ = nullptr;
    QAction* zoomOut_ = nullptr;
    QAction* actualSize_ = nullptr;
    QActionGroup* zoomSteps_ = nullptr;
    QAction* fittedZoom_ = nullptr;  // checked while the window's size sets the zoom
    QMenu* exerciseMenu_ = nullptr;
    QMenu* practiceMenu_ = nullptr;
    QMenu* soundMenu_ = nullptr;
    QMenu* midiInputMenu_ = nullptr;
    QMenu* progressMenu_ = nullptr;
    QPointer<QWidget> guide_;
    std::function<QString()> soundDescription_;
    StatusLine* soundStatus_ = nullptr;
    QToolButton* tryAgain_ = nullptr;
    StatusLine* midiInputStatus_ = nullptr;
    StatusLine* journalStatus_ = nullptr;
    StatusLine* hearingStatus_ = nullptr;
    QHash<QString, QWidget*> widgets_;
    QHash<QWidget*, Control*> controlOf_;
    std::vector<std::unique_ptr<ControlBinding>> bindings_;
    QMetaObject::Connection focusConnection_;
};

}  // namespace velmora
