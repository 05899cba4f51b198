#include "assets/resfile.h"

#include <cstring>
#include <new>

#include "assets/regular_file.h"

namespace {

uint32_t ReadLE32(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool ReadExactly(std::ifstream& stream, unsigned char* buffer, std::streamsize size) {
    stream.read(reinterpret_cast<char*>(buffer), size);
    return stream.gcount() == size;
}

RESHEADER ParseHeader(const unsigned char* bytes) {
    RESHEADER header;
    std::memcpy(header.magic, bytes, 4);
    header.reserved[0] = ReadLE32(bytes + 4);
    header.reserved[1] = ReadLE32(bytes + 8);
    header.lumpCount = ReadLE32(bytes + 12);
    header.notLength = ReadLE32(bytes + 16);
    header.directoryOffset = ReadLE32(bytes + 20);
    return header;
}

RESENTRY ParseEntry(const unsigned char* bytes) {
    RESENTRY entry;
    entry.size = ReadLE32(bytes);
    entry.offset = ReadLE32(bytes + 4);
    entry.kind = ReadLE32(bytes + 8);
    entry.mode = static_cast<int32_t>(ReadLE32(bytes + 12));
    for (int i = 0; i < 3; ++i) entry.unused[i] = ReadLE32(bytes + 16 + 4 * i);
    return entry;
}

}  // namespace

RESFILE::~RESFILE() {
    Close();
}

bool RESFILE::Fail(const char* reason) {
    problem_ = reason;
    Close();
    return false;
}

bool RESFILE::Open(const char* path) {
    Close();
    problem_.clear();
    RegularFile file;
    if (!file.Open(path, kMaxPackSize, problem_)) return false;
    stream.clear();
    // The stream reads the very file that was checked, through its descriptor.
    stream.open(file.DescriptorPath(), std::ios::binary);
    if (!stream.is_open()) return Fail("cannot be opened");
    fileLength = static_cast<uint32_t>(file.Size());  // at most kMaxPackSize

    unsigned char headerBytes[kPackHeaderSize];
    if (!ReadExactly(stream, headerBytes, kPackHeaderSize)) {
        return Fail("is not a valid resource pack (too short for its header)");
    }
    header = ParseHeader(headerBytes);
    if (std::memcmp(header.magic, "VLMA", 4) != 0) return Fail("is not a valid resource pack");
    if (header.notLength != static_cast<uint32_t>(~fileLength)) {
        return Fail("is damaged: its length differs from the one its header gives");
    }

    // Computed in 64 bits: a huge count times 28 must not wrap round to a small directory.
    const uint64_t directoryEnd = static_cast<uint64_t>(header.directoryOffset) +
                                  static_cast<uint64_t>(header.lumpCount) * kPackEntrySize;
    if (directoryEnd > fileLength) return Fail("is damaged: its directory lies outside the file");

    directory = new (std::nothrow) RESENTRY[header.lumpCount];
    if (directory == nullptr) return Fail("has a directory too large for the memory left");
    stream.seekg(static_cast<std::streamoff>(header.directoryOffset), std::ios::beg);
    if (!stream) return Fail("cannot be read");
    for (uint32_t n = 0; n < header.lumpCount; ++n) {
        unsigned char entryBytes[kPackEntrySize];
        if (!ReadExactly(stream, entryBytes, kPackEntrySize)) return Fail("cannot be read");
        directory[n] = ParseEntry(entryBytes);
    }
    return true;
}

bool RESFILE::LumpInsideFile(int n) {
    if (directory == nullptr || !stream.is_open()) {
        problem_ = "is not open";
        return false;
    }
    if (n < 0 || static_cast<uint32_t>(n) >= header.lumpCount) {
        problem_ = "has no lump " + std::to_string(n);
        return false;
    }
    const RESENTRY& entry = directory[n];
    if (static_cast<uint64_t>(entry.offset) + entry.size > fileLength) {
        problem_ = "is damaged: its lump " + std::to_string(n) + " lies outside the file";
        return false;
    }
    return true;
}

bool RESFILE::SeekLump(int n) {
    if (!LumpInsideFile(n)) return false;
    // A reader that ran into the end of its lump leaves the stream failed; seeking must still work.
    stream.clear();
    stream.seekg(static_cast<std::streamoff>(directory[n].offset), std::ios::beg);
    if (!stream) problem_ = "cannot be read";
    return static_cast<bool>(stream);
}

bool RESFILE::LoadData(int n, void** out) {
    if (out == nullptr || !SeekLump(n)) return false;
    const uint32_t size = directory[n].size;
    auto* buffer = new (std::nothrow) unsigned char[size];
    if (buffer == nullptr) {
        problem_ = "has a lump too large for the memory left";
        return false;
    }
    if (!ReadExactly(stream, buffer, static_cast<std::streamsize>(size))) {
        delete[] buffer;
        problem_ = "cannot be read";
        return false;
    }
    *out = buffer;
    return true;
}

void RESFILE::Close() {
    delete[] directory;
    directory = nullptr;
    if (stream.is_open()) stream.close();
}

uint32_t RESFILE::LumpSize(int n) const {
    if (directory == nullptr || n < 0 || static_cast<uint32_t>(n) >= header.lumpCount) return 0;
    return directory[n].size;
}

int RESFILE::LumpCount() const {
    return directory == nullptr ? 0 : static_cast<int>(header.lumpCount);
}
