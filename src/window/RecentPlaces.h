// What the viewer remembers between runs, and nothing more: the folder the
// open dialog was last used in, the folder an image was last saved or
// exported to, and the ten files opened last. Kept with QSettings under
// "zpkview"; every other setting of the window starts afresh each run.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace zpk {

class RecentPlaces {
public:
    static constexpr int kMaxFiles = 10;

    // The folder to start the open dialog in: where it was used last, or
    // `fallback` when that is unknown or gone.
    QString openFolder(const QString& fallback) const;
    void setOpenFolder(const QString& folder);
    // The same for the save and export dialogs.
    QString saveFolder(const QString& fallback) const;
    void setSaveFolder(const QString& folder);

    // Files opened, newest first, as the system's bytes; at most kMaxFiles.
    QList<QByteArray> files() const;
    // Puts `path` first (an absolute path is kept; a relative one is made absolute).
    void addFile(const QByteArray& path);
    void clearFiles();
    // The distinct folders of the recent files, newest first.
    QStringList fileFolders() const;
};

}  // namespace zpk
