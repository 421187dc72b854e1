// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <thread>

class QAction;
class QMenu;
class QWidget;

namespace velmora {

class ProgressController;

// The Progress menu: the Progress window, the journal's export, and
// forgetting the practice history.
class ProgressMenu final : public QObject {
    Q_OBJECT

public:
    struct Actions {
        // Writes the whole journal to `csvPath`; false, with `error`, when it cannot.
        std::function<bool(const std::string& csvPath, std::string& error)> exportJournal;
        // Empties the journal; the user has confirmed.
        std::function<void()> forget;
    };
    // Fills `menu`. Without an action (no journal kept) its command is greyed out.
    ProgressMenu(QMenu& menu, ProgressController& progress, Actions actions);
    // Waits for an export still being written.
    ~ProgressMenu() override;

    QMenu* menu() const { return menu_; }
    QAction* showAction() const { return show_; }
    QAction* exportAction() const { return export_; }
    QAction* forgetAction() const { return forget_; }

    void showProgress();
    void exportJournal();
    // Writes the journal to `path` beside the window's thread; a failure is shown.
    void exportTo(const QString& path);
    void forgetHistory();

private:
    QWidget* dialogParent() const;
    void exported(const QString& path, bool written, const QString& error);

    ProgressController& progress_;
    Actions actions_;
    QMenu* menu_;
    QAction* show_;
    QAction* export_;
    QAction* forget_;
    // A long journal takes seconds to write: it is written beside the window's thread.
    std::thread exporting_;
};

}  // namespace velmora
