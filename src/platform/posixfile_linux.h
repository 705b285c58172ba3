#pragma once

#include <QByteArray>

#include <cerrno>
#include <unistd.h>

// What the Linux backends share for descriptors: one owner that closes, and
// the retry every interrupted call needs.
namespace posix_file {

// Calls `call` again while the system reports it was interrupted.
template <typename Call> auto retrying(Call call)
{
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = other.release();
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    // Closes explicitly so that a failing close (a delayed write error) is seen.
    bool close()
    {
        const int fd = release();
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

// Writes all of `size` bytes; false with errno set when the system refuses.
inline bool writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = retrying([&] { return ::write(fd, data, size_t(size)); });
        if (written < 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// Reads the rest of `fd`, refusing more than `limit` bytes (EFBIG); false
// with errno set on failure.
inline bool readAll(int fd, qint64 limit, QByteArray* bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t count = retrying([&] { return ::read(fd, buffer, sizeof buffer); });
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        // A file that grows while it is read is still held to the limit.
        if (bytes->size() + count > limit) {
            errno = EFBIG;
            return false;
        }
        bytes->append(buffer, count);
    }
}

} // namespace posix_file
