#pragma once

#include <QMainWindow>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollBar;

namespace velmora {

class Trainer;

// The trainer's window: a view over the panel. User input goes into the panel,
// which runs the handlers; panel changes come back through the controls'
// observers. Until the full layout lands it shows the sound controls only.
class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(Trainer& trainer, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The line under the window that says which sound output is in use, or
    // what is wrong with it.
    void setSoundStatus(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void bindControls();
    void playTestNote();

    Trainer& trainer_;
    QComboBox* instrument_ = nullptr;
    QListWidget* duration_ = nullptr;
    QScrollBar* tempo_ = nullptr;
    QLabel* tempoLabel_ = nullptr;
    QLabel* questionNumber_ = nullptr;
    QPushButton* testNote_ = nullptr;
    QLabel* soundStatus_ = nullptr;
    bool syncing_ = false;  // true while the view copies the panel, so no echo goes back
};

}  // namespace velmora
