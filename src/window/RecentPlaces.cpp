#include "window/RecentPlaces.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <cstdlib>
#include <memory>

#include <unistd.h>

namespace zpk {

namespace {

const QString kOpenFolder = QStringLiteral("places/openFolder");
const QString kSaveFolder = QStringLiteral("places/saveFolder");
const QString kFiles = QStringLiteral("places/recentFiles");

QSettings settings() { return QSettings(QSettings::IniFormat, QSettings::UserScope, "zpkview", "zpkview"); }

QString existingFolder(const QString& remembered, const QString& fallback)
{
    return !remembered.isEmpty() && QFileInfo(remembered).isDir() ? remembered : fallback;
}

QByteArray absolute(const QByteArray& path)
{
    if (path.startsWith('/')) return path;
    const std::unique_ptr<char, decltype(&std::free)> here(getcwd(nullptr, 0), &std::free);
    if (!here) return path;
    QByteArray folder(here.get());
    return folder.endsWith('/') ? folder + path : folder + '/' + path;
}

}  // namespace

QString RecentPlaces::openFolder(const QString& fallback) const
{
    return existingFolder(settings().value(kOpenFolder).toString(), fallback);
}

void RecentPlaces::setOpenFolder(const QString& folder) { settings().setValue(kOpenFolder, folder); }

QString RecentPlaces::saveFolder(const QString& fallback) const
{
    return existingFolder(settings().value(kSaveFolder).toString(), fallback);
}

void RecentPlaces::setSaveFolder(const QString& folder) { settings().setValue(kSaveFolder, folder); }

QList<QByteArray> RecentPlaces::files() const
{
    QList<QByteArray> files;
    for (const QVariant& value : settings().value(kFiles).toList()) {
        const QByteArray path = value.toByteArray();
        if (!path.isEmpty() && !files.contains(path) && files.size() < kMaxFiles) files.append(path);
    }
    return files;
}

void RecentPlaces::addFile(const QByteArray& path)
{
    if (path.isEmpty()) return;
    const QByteArray full = absolute(path);
    QList<QByteArray> files = this->files();
    files.removeAll(full);
    files.prepend(full);
    while (files.size() > kMaxFiles) files.removeLast();
    QVariantList values;
    for (const QByteArray& file : files) values.append(file);
    settings().setValue(kFiles, values);
}

void RecentPlaces::clearFiles() { settings().remove(kFiles); }

QStringList RecentPlaces::fileFolders() const
{
    QStringList folders;
    for (const QByteArray& file : files()) {
        const QString folder = QFileInfo(QFile::decodeName(file)).absolutePath();
        if (!folders.contains(folder)) folders.append(folder);
    }
    return folders;
}

}  // namespace zpk
