#include "window/dialogs/WindowDialogs.h"

#include "window/dialogs/ReplaceDialog.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace zpk {

namespace {

void showBox(QMessageBox::Icon icon, QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // a reason can be selected with the mouse and pasted into a report; the
    // keys stay with the button
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

}  // namespace

std::unique_ptr<QFileDialog> QtDialogs::makeOpenDialog(QWidget* parent, const QString& folder,
                                                       const QStringList& recentFolders)
{
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setObjectName(QStringLiteral("CDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("*.zpk"));
    dialog->setDefaultSuffix(QStringLiteral("zpk"));
    dialog->setDirectory(folder);
    if (!recentFolders.isEmpty()) {
        dialog->setHistory(recentFolders);
        QList<QUrl> side = dialog->sidebarUrls();
        for (const QString& recent : recentFolders)
            if (const QUrl url = QUrl::fromLocalFile(recent); !side.contains(url)) side.append(url);
        dialog->setSidebarUrls(side);
    }
    return dialog;
}

std::optional<QString> QtDialogs::chooseFile(QWidget* parent, const QString& folder,
                                             const QStringList& recentFolders)
{
    const std::unique_ptr<QFileDialog> dialog = makeOpenDialog(parent, folder, recentFolders);
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

std::optional<QString> QtDialogs::choosePaletteFile(QWidget* parent, const QString& folder)
{
    QFileDialog dialog(parent, tr("팔레트 불러오기"), folder,
                       tr("팔레트 파일 (*.gpl *.pal *.act)") + QStringLiteral(";;") + tr("모든 파일 (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtDialogs::choosePaletteSavePath(QWidget* parent, const QString& suggested)
{
    // each filter's extension is the one a name without an extension gets
    const QStringList filters{tr("GIMP 팔레트 (*.gpl)"), tr("JASC 팔레트 (*.pal)"),
                              tr("Adobe 색상표 (*.act)"), tr("색 견본 이미지 (*.png)")};
    const QStringList suffixes{QStringLiteral("gpl"), QStringLiteral("pal"), QStringLiteral("act"),
                               QStringLiteral("png")};
    QFileDialog dialog(parent, tr("팔레트 저장"), suggested, filters.join(QStringLiteral(";;")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QString chosenSuffix = QFileInfo(suggested).suffix().toLower();
    const qsizetype start = std::max<qsizetype>(suffixes.indexOf(chosenSuffix), 0);
    dialog.selectNameFilter(filters[start]);
    dialog.setDefaultSuffix(suffixes[start]);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        if (const qsizetype i = filters.indexOf(filter); i >= 0) dialog.setDefaultSuffix(suffixes[i]);
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtDialogs::choosePicture(QWidget* parent, const QString& folder)
{
    QFileDialog dialog(parent, tr("바꿀 그림"), folder,
                       tr("PNG 그림 (*.png)") + QStringLiteral(";;") + tr("모든 파일 (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

QStringList QtDialogs::choosePictures(QWidget* parent, const QString& folder)
{
    QFileDialog dialog(parent, tr("넣을 그림"), folder,
                       tr("PNG 그림 (*.png)") + QStringLiteral(";;") + tr("모든 파일 (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles();
}

ReplaceAnswer QtDialogs::confirmReplace(QWidget* parent, const ReplacePreview& preview)
{
    ReplaceDialog dialog(preview, parent);
    dialog.exec();
    return {dialog.choice(), dialog.options()};
}

std::optional<QString> QtDialogs::chooseContainerSavePath(QWidget* parent, const QString& suggested)
{
    QFileDialog dialog(parent, tr("다른 이름으로 저장"), suggested, tr("zpk 파일 (*.zpk)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("zpk"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtDialogs::chooseGifSavePath(QWidget* parent, const QString& suggested)
{
    QFileDialog dialog(parent, tr("GIF로 저장"), suggested, QStringLiteral("GIF (*.gif)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("gif"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtDialogs::chooseComparedFile(QWidget* parent, const QString& folder)
{
    QFileDialog dialog(parent, tr("비교할 파일"), folder,
                       tr("zpk 파일 (*.zpk)") + QStringLiteral(";;") + tr("모든 파일 (*)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
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

SaveChoice QtDialogs::askSaveChanges(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Warning, title, text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Save)->setText(tr("저장"));
    box.button(QMessageBox::Discard)->setText(tr("버리기"));
    box.button(QMessageBox::Cancel)->setText(tr("취소"));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save: return SaveChoice::Save;
    case QMessageBox::Discard: return SaveChoice::Discard;
    default: return SaveChoice::Cancel;
    }
}

}  // namespace zpk
