#include "window/WindowDialogs.h"

#include "window/MainWindow.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

#include <memory>

namespace zpk {

namespace {

void showBox(QMessageBox::Icon icon, QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

std::optional<QString> QtDialogs::chooseFile(QWidget* parent, const QString& folder,
                                             const QStringList& recentFolders)
{
    const std::unique_ptr<QFileDialog> dialog = MainWindow::makeOpenDialog(parent, folder, recentFolders);
    if (dialog->exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog->selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.first();
}

std::optional<QString> QtDialogs::chooseSavePath(QWidget* parent, const QString& suggested)
{
    QFileDialog dialog(parent, tr("이미지 저장"), suggested, QStringLiteral("PNG (*.png)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtDialogs::chooseExportFolder(QWidget* parent, const QString& folder)
{
    const QString chosen = QFileDialog::getExistingDirectory(parent, tr("모두 내보내기"), folder);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

void QtDialogs::showMessage(QWidget* parent, const QString& title, const QString& text)
{
    showBox(QMessageBox::Warning, parent, title, text);
}

void QtDialogs::showInfo(QWidget* parent, const QString& title, const QString& text)
{
    showBox(QMessageBox::Information, parent, title, text);
}

bool QtDialogs::askYesNo(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace zpk
