#ifndef MORVA_SIM_FILEDESCRIPTOR_H
#define MORVA_SIM_FILEDESCRIPTOR_H

namespace morva_sim {

// Owns one POSIX file descriptor and closes it when destroyed. Move-only.
class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();

    FileDescriptor(FileDescriptor&& other) noexcept;
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void close();

private:
    int m_fd = -1;
};

} // namespace morva_sim

#endif
