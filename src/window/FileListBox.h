// File1: the container files of one folder, by name. It lists the regular
// files whose names end in ".zpk" in any letter case, sorted by name without
// regard to case, and follows the folder as files come and go. The folder
// is fixed when the list is made; the list offers no navigation.
//
// Names are kept as the bytes the system gives: a name that is not valid
// UTF-8 shows with replacement characters but opens by its own bytes.
#pragma once

#include <QByteArray>
#include <QList>
#include <QListWidget>
#include <QString>
#include <QStringList>

class QSocketNotifier;
class QTimer;

namespace zpk {

class FileListBox : public QListWidget {
    Q_OBJECT

public:
    explicit FileListBox(const QByteArray& folder, QWidget* parent = nullptr);
    ~FileListBox() override;

    QString folder() const;
    const QByteArray& folderBytes() const { return m_folder; }
    // The names the list shows, top to bottom, and the bytes behind them.
    QStringList fileNames() const;
    QList<QByteArray> fileNameBytes() const;
    // Reads the folder again. The loaded file (showLoaded()) is selected
    // while it is there, also when it appeared since the last read; with no
    // loaded file of this folder the selected name stays selected. No click
    // is reported for a refresh.
    void refresh();
    // Folder reads since the list was made: the first one and every refresh.
    int readCount() const { return m_readCount; }

    // Marks the loaded file: selects its row when `path` (bytes) names a
    // file of this folder, reading the folder again when the list does not
    // show it yet, and clears the selection otherwise. No click is reported.
    void showLoaded(const QByteArray& path);

    // The names of the folder's container files, sorted as the list shows them.
    static QList<QByteArray> containerFiles(const QByteArray& folder);
    // The path of a file of this folder, by name.
    QByteArray pathOf(const QByteArray& name) const;
    // The folder a file lies in, as the list would show it ("." for a bare name).
    static QByteArray folderOf(const QByteArray& path);

signals:
    // The user picked a file: by a click (also on the file already
    // selected) or by moving the selection with the keyboard.
    void fileClicked(const QByteArray& fileName);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void reportCurrent();
    void watch();
    void readChanges();
    void scheduleRefresh();

    QByteArray m_folder;
    QByteArray m_canonicalFolder;
    int m_inotify = -1;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_refreshTimer = nullptr;
    int m_readCount = 0;
    // the name of the loaded file when it lies in this folder
    QByteArray m_loadedName;
};

}  // namespace zpk
