#include "window/ContainerSnapshot.h"

#include <algorithm>
#include <cstring>

namespace zpk {

ContainerSnapshot::ContainerSnapshot(QObject* parent) : QObject(parent)
{
    m_next.setSingleShot(true);
    m_next.setInterval(0);
    connect(&m_next, &QTimer::timeout, this, &ContainerSnapshot::copySlice);
}

void ContainerSnapshot::start(const ContainerFile& source)
{
    cancel();
    m_source = &source;
    m_copy = std::make_shared<ContainerFile>();
    // everything but the bytes is small: the table has at most 255 rows
    m_copy->filePath = source.filePath;
    m_copy->fileLength = source.fileLength;
    m_copy->entryCount = source.entryCount;
    m_copy->entryOffsets = source.entryOffsets;
    m_copy->listTexts = source.listTexts;
    // room for the data, and the zero byte behind it (set here)
    if (!source.fileBytes.empty()) m_copy->fileBytes = FileBytes(source.fileBytes.size() - 1);
    m_copied = 0;
    if (source.fileBytes.size() <= kSliceBytes + 1) copySlice();
    else m_next.start();
}

void ContainerSnapshot::cancel()
{
    m_next.stop();
    m_source = nullptr;
    m_copy.reset();
    m_copied = 0;
}

void ContainerSnapshot::copySlice()
{
    if (!m_copy || m_source == nullptr) return;
    const std::size_t length = m_copy->fileBytes.empty() ? 0 : m_copy->fileBytes.size() - 1;
    // a source that changed size under the copy (a load that was not
    // announced) is never read past its end: the copy starts over
    if ((m_source->fileBytes.empty() ? 0 : m_source->fileBytes.size() - 1) != length) {
        start(*m_source);
        return;
    }
    const std::size_t slice = std::min(kSliceBytes, length - m_copied);
    if (slice > 0)
        std::memcpy(m_copy->fileBytes.data() + m_copied, m_source->fileBytes.data() + m_copied, slice);
    m_copied += slice;
    if (m_copied < length) {
        m_next.start();
        return;
    }
    const std::shared_ptr<const ContainerFile> done = std::move(m_copy);
    cancel();
    emit ready(done);
}

}  // namespace zpk
