#pragma once

#include <QHash>
#include <QMainWindow>
#include <QToolButton>

#include <memory>
#include <vector>

namespace velmora {

class Control;
class ControlBinding;
class StatusLine;
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

    // The widget that shows the named control, or null (timers, menus).
    QWidget* widgetOf(const QString& controlName) const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildClientArea();
    void buildMenus();
    void setTabOrder();
    void followQtFocus(QWidget* now);

    Trainer& trainer_;
    QWidget* client_ = nullptr;
    StatusLine* soundStatus_ = nullptr;
    QToolButton* tryAgain_ = nullptr;
    StatusLine* midiInputStatus_ = nullptr;
    QHash<QString, QWidget*> widgets_;
    QHash<QWidget*, Control*> controlOf_;
    std::vector<std::unique_ptr<ControlBinding>> bindings_;
    QMetaObject::Connection focusConnection_;
};

}  // namespace velmora
