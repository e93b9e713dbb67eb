// File1: the container files of one folder, by name. It lists the regular
// files whose names end in ".zpk" in any letter case, sorted by name without
// regard to case, and follows the folder as files come and go. The folder
// is fixed when the list is made; the list offers no navigation.
#pragma once

#include <QListWidget>
#include <QString>
#include <QStringList>

class QFileSystemWatcher;

namespace zpk {

class FileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit FileListBox(const QString& folder, QWidget* parent = nullptr);

    QString folder() const { return m_folder; }
    // The names the list shows, top to bottom.
    QStringList fileNames() const;
    // Reads the folder again. The selected name stays selected while the
    // file is there; no click is reported for a refresh.
    void refresh();

    // The names of the folder's container files, sorted as the list shows them.
    static QStringList containerFiles(const QString& folder);

signals:
    // The user picked a file: by a click (also on the file already
    // selected) or by moving the selection with the keyboard.
    void fileClicked(const QString& fileName);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void reportCurrent();

    QString m_folder;
    QFileSystemWatcher* m_watcher;
};

}  // namespace zpk
