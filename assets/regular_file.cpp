#include "assets/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

RegularFile::~RegularFile() {
    Close();
}

RegularFile::RegularFile(RegularFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), size_(other.size_) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        size_ = other.size_;
    }
    return *this;
}

void RegularFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

bool RegularFile::Open(const char* path, std::uint64_t maxBytes, std::string& reason) {
    Close();
    if (path == nullptr || *path == '\0') {
        reason = "no file named";
        return false;
    }
    // O_NONBLOCK: opening a FIFO for reading returns at once instead of waiting for a writer.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        reason = FileErrorReason(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        reason = FileErrorReason(errno);
        ::close(fd);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        reason = "is a folder, not a file";
        ::close(fd);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = "is not a regular file";
        ::close(fd);
        return false;
    }
    if (std::uint64_t(info.st_size) > maxBytes) {
        reason = "is larger than " + DescribeBytes(maxBytes);
        ::close(fd);
        return false;
    }
    // Regular files never block; reads go back to the ordinary blocking mode.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    size_ = std::uint64_t(info.st_size);
    return true;
}

std::string RegularFile::DescriptorPath() const {
    return "/proc/self/fd/" + std::to_string(fd_);
}

bool RegularFile::ReadAll(std::string& bytes, std::string& reason) {
    bytes.clear();
    if (fd_ < 0) {
        reason = "is not open";
        return false;
    }
    bytes.resize(size_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(fd_, &bytes[done], bytes.size() - done, off_t(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            reason = FileErrorReason(errno);
            return false;
        }
        if (got == 0) break;  // shrank while we read: keep what is there
        done += std::size_t(got);
    }
    bytes.resize(done);
    return true;
}

std::string FileErrorReason(int error) {
    switch (error) {
        case ENOENT:
            return "does not exist";
        case EACCES:
        case EPERM:
            return "permission denied";
        case ELOOP:
            return "is a loop of symbolic links";
        case ENOTDIR:
            return "has a part of its path that is not a folder";
        case ENAMETOOLONG:
            return "has a name too long for the system";
        case EISDIR:
            return "is a folder, not a file";
        case EIO:
            return "cannot be read (input/output error)";
        case EMFILE:
        case ENFILE:
            return "cannot be opened: too many open files";
        default:
            return std::strerror(error);
    }
}

std::string DescribeBytes(std::uint64_t bytes) {
    constexpr std::uint64_t kKiB = 1024, kMiB = kKiB * 1024, kGiB = kMiB * 1024;
    char text[32];
    if (bytes >= kGiB) {
        std::snprintf(text, sizeof text, "%.3g GB", double(bytes) / double(kGiB));
    } else if (bytes >= kMiB) {
        std::snprintf(text, sizeof text, "%.3g MB", double(bytes) / double(kMiB));
    } else if (bytes >= kKiB) {
        std::snprintf(text, sizeof text, "%.3g KB", double(bytes) / double(kKiB));
    } else {
        std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
    }
    return text;
}
