#include "window/edit/EditSession.h"

#include "window/SystemPath.h"

#include "io/InputFile.h"
#include "pack/ContainerUpdate.h"
#include "window/Messages.h"
#include "window/RecentPlaces.h"
#include "window/ViewerContext.h"
#include "window/dialogs/WindowDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUndoCommand>
#include <QUndoStack>

#include <algorithm>
#include <numeric>

namespace zpk {

namespace {

QString decoded(const std::string& path) { return QFile::decodeName(path.c_str()); }

}  // namespace

// One edit: the container before and after it, and the rows selected in each.
class EditSession::Step : public QUndoCommand {
public:
    Step(EditSession* session, const QString& name, std::shared_ptr<const EditableContainer> before,
         std::shared_ptr<const EditableContainer> after, std::vector<int> selectBefore,
         std::vector<int> selectAfter)
        : QUndoCommand(name),
          m_session(session),
          m_before(std::move(before)),
          m_after(std::move(after)),
          m_selectBefore(std::move(selectBefore)),
          m_selectAfter(std::move(selectAfter))
    {
    }
    void redo() override { m_session->show(m_after, m_selectAfter); }
    void undo() override { m_session->show(m_before, m_selectBefore); }

private:
    EditSession* m_session;
    std::shared_ptr<const EditableContainer> m_before;
    std::shared_ptr<const EditableContainer> m_after;
    std::vector<int> m_selectBefore;
    std::vector<int> m_selectAfter;
};

EditSession::EditSession(ViewerContext* window)
    : QObject(window), m_window(window), m_stack(new QUndoStack(this))
{
    connect(m_stack, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
}

// The stack goes with this object's children, and tells of its clearing on
// the way: nobody listens by then, this object being gone.
EditSession::~EditSession() { m_stack->disconnect(); }

bool EditSession::isModified() const { return !m_stack->isClean(); }

void EditSession::fileLoaded()
{
    const ContainerFile& file = m_window->state().file;
    m_current.reset();
    m_path = file.filePath;
    m_identity = file.identity;
    m_stack->clear();
}

std::shared_ptr<const EditableContainer> EditSession::current()
{
    if (m_current) return m_current;
    const ContainerFile& file = m_window->state().file;
    if (!file.isLoaded()) return nullptr;
    auto container = editableContainer(file);
    if (!container) {
        refused(decoded(file.filePath), container.error());
        return nullptr;
    }
    m_current = std::make_shared<const EditableContainer>(std::move(*container));
    return m_current;
}

bool EditSession::refusedWhileExporting()
{
    if (!m_window->isExporting()) return false;
    // the export reads the container shown until it ends
    m_window->dialogs().showMessage(m_window, ViewerContext::caption(),
                                    tr("모두 내보내는 중에는 항목을 바꿀 수 없습니다."));
    return true;
}

void EditSession::refused(const QString& path, const Error& error)
{
    m_window->dialogs().showMessage(m_window, ViewerContext::caption(), Messages::editFailed(path, error));
}

void EditSession::undo()
{
    if (m_stack->canUndo() && !refusedWhileExporting()) m_stack->undo();
}

void EditSession::redo()
{
    if (m_stack->canRedo() && !refusedWhileExporting()) m_stack->redo();
}

bool EditSession::apply(const QString& name, const Edit& edit, std::vector<int> selectBefore,
                        std::vector<int> selectAfter)
{
    if (refusedWhileExporting()) return false;
    const auto before = current();
    if (!before) return false;
    auto after = edit(*before);
    if (!after) {
        // the container by the name it is shown under
        const std::string& path = after.error().path == before->path ? m_path : after.error().path;
        refused(decoded(path), after.error());
        return false;
    }
    // pushing shows it
    m_stack->push(new Step(this, name, before, std::make_shared<const EditableContainer>(std::move(*after)),
                           std::move(selectBefore), std::move(selectAfter)));
    return true;
}

void EditSession::show(std::shared_ptr<const EditableContainer> container, const std::vector<int>& selection)
{
    auto file = container->file();
    if (!file) {
        refused(decoded(container->path), file.error());
        return;
    }
    m_current = std::move(container);
    file->filePath = m_path;  // as loaded, or saved under last
    m_window->showContainer(std::move(*file), selection.empty() ? 0 : selection.front());
    emit shown(selection);
}

std::optional<std::vector<WriterImage>> EditSession::readPictures(const QStringList& pictures)
{
    std::vector<WriterImage> images;
    for (const QString& picture : pictures) {
        auto image = readPackImage(systemPath(picture), m_packOptions);
        if (!image) {
            refused(picture, image.error());
            return std::nullopt;
        }
        images.push_back(std::move(*image));
    }
    return images;
}

bool EditSession::replaceRows(const std::vector<int>& rows, const QStringList& pictures)
{
    if (rows.empty() || refusedWhileExporting()) return false;
    if (static_cast<std::size_t>(pictures.size()) != rows.size()) {
        m_window->dialogs().showMessage(
            m_window, ViewerContext::caption(),
            tr("고른 그림 %1개와 고른 항목 %2개의 수가 다릅니다.").arg(pictures.size()).arg(rows.size()));
        return false;
    }
    const auto images = readPictures(pictures);
    if (!images) return false;
    const QString name =
        rows.size() == 1 ? tr("항목 %1 바꾸기").arg(rows.front()) : tr("항목 %1개 바꾸기").arg(rows.size());
    return apply(
        name, [&](const EditableContainer& c) { return zpk::replaceRows(c, rows, *images); }, rows, rows);
}

bool EditSession::insertPictures(int at, const QStringList& pictures, const std::vector<int>& selectBefore)
{
    if (pictures.isEmpty() || refusedWhileExporting()) return false;
    const auto images = readPictures(pictures);
    if (!images) return false;
    std::vector<int> inserted(static_cast<std::size_t>(pictures.size()));
    std::iota(inserted.begin(), inserted.end(), at);
    const QString name = tr("그림 %1개 넣기").arg(pictures.size());
    return apply(
        name, [&](const EditableContainer& c) { return insertRows(c, at, *images); }, selectBefore, inserted);
}

bool EditSession::deleteRows(const std::vector<int>& rows)
{
    if (rows.empty()) return false;
    // the row that takes the first deleted one's place is selected after
    const int first = *std::min_element(rows.begin(), rows.end());
    const int left = m_window->state().file.rowCount() - static_cast<int>(rows.size());
    const QString name =
        rows.size() == 1 ? tr("항목 %1 지우기").arg(rows.front()) : tr("항목 %1개 지우기").arg(rows.size());
    return apply(name, [&](const EditableContainer& c) { return zpk::deleteRows(c, rows); }, rows,
                 {std::clamp(first, 0, std::max(left - 1, 0))});
}

bool EditSession::reorder(const QString& name, const std::vector<int>& order,
                          const std::vector<int>& selected)
{
    const std::vector<int> where = reorder::newRows(order);
    std::vector<int> after;
    for (const int row : selected)
        if (row >= 0 && static_cast<std::size_t>(row) < where.size())
            after.push_back(where[static_cast<std::size_t>(row)]);
    std::sort(after.begin(), after.end());
    if (after == selected) return false;  // nothing moves
    return apply(
        name, [&](const EditableContainer& c) { return reorderRows(c, order); }, selected, after);
}

// --- saving ---------------------------------------------------------------

bool EditSession::save()
{
    if (!isModified() || !m_current) return true;
    return write(m_path);
}

bool EditSession::saveAs()
{
    if (!m_window->state().file.isLoaded()) return false;
    const QFileInfo info(decoded(m_path));
    const QString suggested =
        QDir(info.absolutePath()).filePath(info.completeBaseName() + QStringLiteral("-new.zpk"));
    const auto path = m_window->dialogs().chooseContainerSavePath(m_window, suggested);
    if (!path || path->isEmpty()) return false;
    if (!current()) return false;
    return write(systemPath(*path));
}

bool EditSession::write(const std::string& target)
{
    if (refusedWhileExporting()) return false;
    QWidget* parent = m_window;
    const QString title = ViewerContext::caption();
    const QString shown = decoded(target);
    const std::shared_ptr<const EditableContainer> container = m_current;
    const auto edit = [&container](const ContainerFile&) -> Result<ContainerPlan> {
        return container->plan();
    };

    Result<WrittenFile> written = Error{};
    bool declined = false;  // the user said no to a question: nothing more to tell
    const auto ask = [&](const QString& text) {
        declined = !m_window->dialogs().askYesNo(parent, title, text);
        return !declined;
    };
    const auto there = fileIdentity(target);
    if (target == m_path || (there && m_identity && there->sameFile(*m_identity))) {
        // over the file loaded: under its lock, and only while it is the
        // version loaded, unless the user says otherwise
        UpdateSettings update;
        update.expected = m_identity;
        written = updateContainer(target, target, edit, update);
        if (!written && written.error().code == ErrorCode::ChangedOnDisk &&
            ask(tr("불러온 뒤에 다른 프로그램이 파일을 바꾸었습니다.\n%1\n\n그래도 "
                   "편집한 내용으로 덮어쓸까요?")
                    .arg(shown))) {
            update.expected.reset();
            written = updateContainer(target, target, edit, update);
        }
        if (!written && written.error().code == ErrorCode::WriteProtected &&
            ask(tr("쓰기 금지된 파일입니다.\n%1\n\n그래도 바꿀까요?").arg(shown))) {
            update.force = true;
            written = updateContainer(target, target, edit, update);
        }
    } else {
        // a new name: nothing is read, the container is written whole
        ContainerPlan plan = container->plan();
        auto parts = plan.parts();
        if (!parts) {
            refused(shown, parts.error());
            return false;
        }
        written = writeFileAtomically(target, *parts, WriteOptions{});
    }
    if (!written) {
        if (!declined)
            m_window->dialogs().showMessage(parent, title,
                                            Messages::containerSaveFailed(shown, written.error()));
        return false;
    }

    // the file written is now the one loaded
    const auto identity = fileIdentity(target);
    m_identity = identity ? std::optional<FileIdentity>(*identity) : std::nullopt;
    if (target != m_path) {
        m_path = target;
        m_window->places().addFile(QByteArray::fromStdString(target));
        show(container, {m_window->drawnRow()});
    }
    m_stack->setClean();
    return true;
}

bool EditSession::mayDiscard()
{
    if (!isModified()) return true;
    const QString name = QFileInfo(decoded(m_path)).fileName();
    switch (m_window->dialogs().askSaveChanges(
        m_window, ViewerContext::caption(),
        tr("%1 에 저장하지 않은 편집이 있습니다.\n저장할까요?").arg(name))) {
    case SaveChoice::Save: return save();
    case SaveChoice::Discard: return true;
    case SaveChoice::Cancel: break;
    }
    return false;
}

}  // namespace zpk
