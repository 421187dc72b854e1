// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 The Velmora developers

#include "ui/progress_menu.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "ui/progress_controller.h"
#include "ui/progress_window.h"
#include "ui/window_thread.h"

namespace velmora {

ProgressMenu::ProgressMenu(QMenu& menu, ProgressController& progress, Actions actions)
    : QObject(nullptr), progress_(progress), actions_(std::move(actions)), menu_(&menu) {
    show_ = menu_->addAction(tr("&Show progress…"), this, &ProgressMenu::showProgress);
    show_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    menu_->addSeparator();
    export_ = menu_->addAction(tr("&Export journal…"), this, &ProgressMenu::exportJournal);
    forget_ = menu_->addAction(tr("&Forget practice history…"), this, &ProgressMenu::forgetHistory);
    export_->setEnabled(static_cast<bool>(actions_.exportJournal));
    forget_->setEnabled(static_cast<bool>(actions_.forget));
}

ProgressMenu::~ProgressMenu() {
    if (exporting_.joinable()) exporting_.join();
}

QWidget* ProgressMenu::dialogParent() const {
    ProgressWindow* window = progress_.window();
    return window && window->isActiveWindow() ? static_cast<QWidget*>(window)
                                              : menu_->parentWidget()->window();
}

void ProgressMenu::showProgress() {
    progress_.show();
}

void ProgressMenu::exportJournal() {
    if (!actions_.exportJournal) return;
    QString path =
        QFileDialog::getSaveFileName(dialogParent(), tr("Export practice journal"),
                                     QDir::home().filePath(QStringLiteral("velmora-journal.csv")),
                                     tr("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
    exportTo(path);
}

void ProgressMenu::exportTo(const QString& path) {
    if (!actions_.exportJournal) return;
    if (exporting_.joinable()) exporting_.join();
    export_->setEnabled(false);
    export_->setText(tr("Exporting the journal…"));
    exporting_ = std::thread([this, path, write = actions_.exportJournal] {
        std::string error;
        const bool written = write(path.toStdString(), error);
        PostToWindowThread(this, [this, path, written, error] {
            exported(path, written, QString::fromStdString(error));
        });
    });
}

void ProgressMenu::exported(const QString& path, bool written, const QString& error) {
    export_->setText(tr("&Export journal…"));
    export_->setEnabled(true);
    if (written) return;
    auto* warning = new QMessageBox(QMessageBox::Warning, tr("Export practice journal"),
                                    tr("The journal was not exported to %1: %2").arg(path, error),
                                    QMessageBox::Ok, dialogParent());
    warning->setAttribute(Qt::WA_DeleteOnClose);
    warning->open();
}

void ProgressMenu::forgetHistory() {
    if (!actions_.forget) return;
    // Opened, not run in a loop of its own: a run goes on meanwhile.
    auto* question = new QMessageBox(QMessageBox::Warning, tr("Forget practice history"),
                                     tr("Forget every answer kept in the practice journal?"),
                                     QMessageBox::NoButton, dialogParent());
    question->setAttribute(Qt::WA_DeleteOnClose);
    question->setInformativeText(
        tr("The Progress window starts again from nothing. This cannot be undone; "
           "export the journal first to keep a copy."));
    QPushButton* forget = question->addButton(tr("Forget history"), QMessageBox::DestructiveRole);
    question->addButton(QMessageBox::Cancel);
    question->setDefaultButton(QMessageBox::Cancel);
    connect(question, &QMessageBox::buttonClicked, this, [this, forget](QAbstractButton* clicked) {
        if (clicked != forget) return;
        actions_.forget();
        progress_.forgetHistory();
    });
    question->open();
}

}  // namespace velmora
