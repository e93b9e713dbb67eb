// A POSIX file descriptor that is closed when its owner goes; it moves
// with its owner, and one moved from holds none.
#pragma once

#include <unistd.h>

#include <utility>

namespace zpk {

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle() { close(); }
    FileHandle(FileHandle&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // The descriptor, or -1 when none is held (an open that failed).
    int fd() const { return m_fd; }
    // Gives the descriptor up to the caller, who closes it; none is held after.
    int release() { return std::exchange(m_fd, -1); }

private:
    void close()
    {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

    int m_fd = -1;
};

}  // namespace zpk
