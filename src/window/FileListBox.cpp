#include "window/FileListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <algorithm>

namespace zpk {

FileListBox::FileListBox(const QString& folder, QWidget* parent)
    : QListWidget(parent), m_folder(folder), m_watcher(new QFileSystemWatcher(this))
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);  // containerFiles() gives the order
    m_watcher->addPath(m_folder);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileListBox::refresh);
    connect(this, &QListWidget::itemSelectionChanged, this, &FileListBox::reportCurrent);
    refresh();
}

QStringList FileListBox::containerFiles(const QString& folder)
{
    const QDir dir(folder);
    QStringList names;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& info : entries) {
        // QDir::Files lets links to files through; isFile() follows them,
        // so a link that leads nowhere or to a folder stays out.
        if (info.isFile() && info.fileName().endsWith(QStringLiteral(".zpk"), Qt::CaseInsensitive))
            names.append(info.fileName());
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = QString::compare(a, b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    });
    return names;
}

QStringList FileListBox::fileNames() const
{
    QStringList names;
    for (int row = 0; row < count(); ++row) names.append(item(row)->text());
    return names;
}

void FileListBox::refresh()
{
    const QStringList names = containerFiles(m_folder);
    if (names == fileNames()) return;

    const QList<QListWidgetItem*> selected = selectedItems();
    const QString selectedName = selected.isEmpty() ? QString() : selected.first()->text();
    const QSignalBlocker blocker(this);
    clear();
    addItems(names);
    const int row = selectedName.isEmpty() ? -1 : static_cast<int>(names.indexOf(selectedName));
    if (row >= 0) setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void FileListBox::mousePressEvent(QMouseEvent* event)
{
    // A click on the file already selected changes no selection, but it is
    // a click all the same: the file is read again.
    QListWidgetItem* hit = itemAt(event->position().toPoint());
    const bool wasSelected = hit != nullptr && hit->isSelected();
    QListWidget::mousePressEvent(event);
    if (wasSelected && event->button() == Qt::LeftButton && hit->isSelected()) emit fileClicked(hit->text());
}

void FileListBox::reportCurrent()
{
    const QList<QListWidgetItem*> selected = selectedItems();
    if (!selected.isEmpty()) emit fileClicked(selected.first()->text());
}

}  // namespace zpk
