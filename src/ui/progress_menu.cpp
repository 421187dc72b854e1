#include "ui/progress_menu.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include "ui/progress_window.h"

namespace velmora {

ProgressMenu::ProgressMenu(QMenuBar& bar, ProgressWindow& window, Actions actions)
    : QObject(&bar),
      window_(window),
      actions_(std::move(actions)),
      bar_(bar),
      menu_(bar.addMenu(tr("&Progress"))) {
    show_ = menu_->addAction(tr("&Show progress…"), this, &ProgressMenu::showProgress);
    show_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    menu_->addSeparator();
    export_ = menu_->addAction(tr("&Export journal…"), this, &ProgressMenu::exportJournal);
    forget_ = menu_->addAction(tr("&Forget practice history…"), this, &ProgressMenu::forgetHistory);
    export_->setEnabled(static_cast<bool>(actions_.exportJournal));
    forget_->setEnabled(static_cast<bool>(actions_.forget));
}

QWidget* ProgressMenu::dialogParent() const {
    return window_.isActiveWindow() ? static_cast<QWidget*>(&window_) : bar_.window();
}

void ProgressMenu::showProgress() {
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void ProgressMenu::exportJournal() {
    if (!actions_.exportJournal) return;
    QString path =
        QFileDialog::getSaveFileName(dialogParent(), tr("Export practice journal"),
                                     QDir::home().filePath(QStringLiteral("velmora-journal.csv")),
                                     tr("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
    std::string error;
    if (!actions_.exportJournal(path.toStdString(), error)) {
        QMessageBox::warning(
            dialogParent(), tr("Export practice journal"),
            tr("The journal was not exported: %1").arg(QString::fromStdString(error)));
    }
}

void ProgressMenu::forgetHistory() {
    if (!actions_.forget) return;
    QMessageBox question(QMessageBox::Warning, tr("Forget practice history"),
                         tr("Forget every answer kept in the practice journal?"),
                         QMessageBox::NoButton, dialogParent());
    question.setInformativeText(
        tr("The Progress window starts again from nothing. This cannot be undone; "
           "export the journal first to keep a copy."));
    QPushButton* forget = question.addButton(tr("Forget history"), QMessageBox::DestructiveRole);
    question.addButton(QMessageBox::Cancel);
    question.setDefaultButton(QMessageBox::Cancel);
    question.exec();
    if (question.clickedButton() != forget) return;
    actions_.forget();
    window_.forgetHistory();
}

}  // namespace velmora
