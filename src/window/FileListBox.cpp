#include "window/FileListBox.h"

#include <QFile>
#include <QFileSystemWatcher>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zpk {

namespace {

constexpr int kNameRole = Qt::UserRole;
// Changes that come in a burst are read in one go, this long after the first.
constexpr int kRefreshDelayMs = 100;

bool isContainerName(const char* name, std::size_t length)
{
    static constexpr char kSuffix[] = ".zpk";
    constexpr std::size_t kSuffixLength = sizeof(kSuffix) - 1;
    if (length < kSuffixLength) return false;
    const char* tail = name + length - kSuffixLength;
    for (std::size_t i = 0; i < kSuffixLength; ++i) {
        const char c = tail[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != kSuffix[i]) return false;
    }
    return true;
}

QByteArray canonical(const QByteArray& path)
{
    const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(path.constData(), nullptr),
                                                               &std::free);
    return resolved ? QByteArray(resolved.get()) : path;
}

QByteArray joined(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

}  // namespace

FileListBox::FileListBox(const QByteArray& folder, QWidget* parent)
    : QListWidget(parent),
      m_folder(folder.isEmpty() ? QByteArray(".") : folder),
      m_canonicalFolder(canonical(m_folder)),
      m_refreshTimer(new QTimer(this))
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);  // containerFiles() gives the order
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(kRefreshDelayMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &FileListBox::refresh);
    connect(this, &QListWidget::itemSelectionChanged, this, &FileListBox::reportCurrent);
    watch();
    refresh();
}

FileListBox::~FileListBox()
{
    if (m_inotify >= 0) ::close(m_inotify);
}

QString FileListBox::folder() const { return QFile::decodeName(m_folder); }

QList<QByteArray> FileListBox::containerFiles(const QByteArray& folder)
{
    QList<QByteArray> names;
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return names;
    DIR* dir = ::fdopendir(dirFd);
    if (dir == nullptr) {
        ::close(dirFd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::size_t length = std::char_traits<char>::length(entry->d_name);
        if (!isContainerName(entry->d_name, length)) continue;
        // links are followed: one that leads nowhere or to a folder stays out
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) continue;
        names.append(QByteArray(entry->d_name, static_cast<qsizetype>(length)));
    }
    ::closedir(dir);

    // by the shown name without regard to case, then by the bytes
    std::vector<std::pair<QString, QByteArray>> keyed;
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (const QByteArray& name : names) keyed.emplace_back(QFile::decodeName(name), name);
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        const int folded = QString::compare(a.first, b.first, Qt::CaseInsensitive);
        if (folded != 0) return folded < 0;
        const int exact = QString::compare(a.first, b.first, Qt::CaseSensitive);
        return exact != 0 ? exact < 0 : a.second < b.second;
    });
    names.clear();
    for (auto& [shown, bytes] : keyed) names.append(std::move(bytes));
    return names;
}

QStringList FileListBox::fileNames() const
{
    QStringList names;
    for (int row = 0; row < count(); ++row) names.append(item(row)->text());
    return names;
}

QList<QByteArray> FileListBox::fileNameBytes() const
{
    QList<QByteArray> names;
    for (int row = 0; row < count(); ++row) names.append(item(row)->data(kNameRole).toByteArray());
    return names;
}

void FileListBox::refresh()
{
    ++m_readCount;
    const QList<QByteArray> names = containerFiles(m_folder);
    if (names == fileNameBytes()) return;

    const QList<QListWidgetItem*> selected = selectedItems();
    const QByteArray selectedName = !m_loadedName.isEmpty() ? m_loadedName
                                    : selected.isEmpty()    ? QByteArray()
                                                            : selected.first()->data(kNameRole).toByteArray();
    const QSignalBlocker blocker(this);
    clear();
    for (const QByteArray& name : names) {
        auto* item = new QListWidgetItem(QFile::decodeName(name), this);
        item->setData(kNameRole, name);
    }
    const int row = selectedName.isEmpty() ? -1 : static_cast<int>(names.indexOf(selectedName));
    if (row >= 0) setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void FileListBox::showLoaded(const QByteArray& path)
{
    const QSignalBlocker blocker(this);
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : (slash == 0 ? QByteArray("/") : path.left(slash));
    const QByteArray name = slash < 0 ? path : path.mid(slash + 1);
    m_loadedName = path.isEmpty() || canonical(folder) != m_canonicalFolder ? QByteArray() : name;
    // a file written a moment ago (saved under a new name, say) may not be
    // listed before the folder's change is noticed
    if (!m_loadedName.isEmpty() && !fileNameBytes().contains(name)) refresh();
    const int row = m_loadedName.isEmpty() ? -1 : static_cast<int>(fileNameBytes().indexOf(name));
    if (row < 0) {
        clearSelection();
        return;
    }
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(row));
}

// --- following the folder -----------------------------------------------------

void FileListBox::watch()
{
    // Only names that end in ".zpk" matter: inotify says which name changed,
    // so other files coming and going cost no reading of the folder.
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify >= 0 && ::inotify_add_watch(m_inotify, m_folder.constData(),
                                              IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                                  IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR) >= 0) {
        m_notifier = new QSocketNotifier(m_inotify, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &FileListBox::readChanges);
        return;
    }
    if (m_inotify >= 0) ::close(m_inotify);
    m_inotify = -1;
    // no inotify to be had (a limit reached): any change reads the folder
    auto* watcher = new QFileSystemWatcher(this);
    watcher->addPath(QFile::decodeName(m_folder));
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &FileListBox::scheduleRefresh);
}

void FileListBox::readChanges()
{
    alignas(inotify_event) std::array<char, 16384> buffer{};
    for (;;) {
        const ssize_t got = ::read(m_inotify, buffer.data(), buffer.size());
        if (got <= 0) {
            if (got < 0 && errno == EINTR) continue;
            return;  // EAGAIN: all read
        }
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const bool lost =
                (event->mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0;
            const std::size_t length = event->len == 0 ? 0 : std::char_traits<char>::length(event->name);
            if (lost || isContainerName(event->name, length)) scheduleRefresh();
        }
    }
}

void FileListBox::scheduleRefresh()
{
    // the first change of a burst starts the clock; later ones ride along
    if (!m_refreshTimer->isActive()) m_refreshTimer->start();
}

// --- clicks ------------------------------------------------------------------

void FileListBox::mousePressEvent(QMouseEvent* event)
{
    // A click on the file already selected changes no selection, but it is
    // a click all the same: the file is read again.
    QListWidgetItem* hit = itemAt(event->position().toPoint());
    const bool wasSelected = hit != nullptr && hit->isSelected();
    QListWidget::mousePressEvent(event);
    if (wasSelected && event->button() == Qt::LeftButton && hit->isSelected())
        emit fileClicked(hit->data(kNameRole).toByteArray());
}

void FileListBox::reportCurrent()
{
    const QList<QListWidgetItem*> selected = selectedItems();
    if (!selected.isEmpty()) emit fileClicked(selected.first()->data(kNameRole).toByteArray());
}

QByteArray FileListBox::pathOf(const QByteArray& name) const { return joined(m_folder, name); }

QByteArray FileListBox::folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return path.left(slash);
}

}  // namespace zpk
