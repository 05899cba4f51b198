// Files from outside the program (packs, pictures, the settings file) are read only when they are
// regular files of a sane size. Opening a FIFO blocks until a writer comes, a device may never end,
// and a file of gigabytes is never a picture or pack of ours: all of them are refused before a
// single byte is read, with a reason in words for the user.
#pragma once

#include <cstdint>
#include <string>

class RegularFile {
  public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    RegularFile(RegularFile&& other) noexcept;
    RegularFile& operator=(RegularFile&& other) noexcept;

    // Opens `path` for reading without ever blocking: false, with the reason in `reason` ("does
    // not exist", "permission denied", "is not a regular file", "is larger than 64 MB", ...),
    // when it cannot be opened, is not a regular file or holds more than `maxBytes`.
    bool Open(const char* path, std::uint64_t maxBytes, std::string& reason);
    void Close();

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    std::uint64_t Size() const { return size_; }
    // A path that names this very file (the open descriptor, "/proc/self/fd/N") for libraries
    // that take a path: they read the file that was checked even if its name changes meanwhile.
    std::string DescriptorPath() const;
    // Reads the whole file into `bytes`; false with a reason on a read error.
    bool ReadAll(std::string& bytes, std::string& reason);

  private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// The reason for an errno value from opening or reading a file, in words for the user.
std::string FileErrorReason(int error);

// "64 MB", "1.5 GB": a size for messages.
std::string DescribeBytes(std::uint64_t bytes);
