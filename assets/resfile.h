// Reader of the resource packs: a 24-byte header, a directory of 28-byte entries and numbered
// blocks of data ("lumps") anywhere in the file. Every offset and size read from a pack is
// checked against the file's measured length before it is used, so a damaged or hostile pack is
// refused with a false result instead of being read out of bounds.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>

// Kinds of lump the texture loader understands; any other kind is data it skips.
enum LumpKind : uint32_t { kLumpTGA = 1, kLumpJPEG = 3 };

struct RESHEADER {
    char magic[4] = {0, 0, 0, 0};  // "VLMA"
    uint32_t reserved[2] = {0, 0};
    uint32_t lumpCount = 0;
    uint32_t notLength = 0;  // bitwise complement of the file's length
    uint32_t directoryOffset = 0;
};

struct RESENTRY {
    uint32_t size = 0;
    uint32_t offset = 0;  // absolute position of the lump's first byte
    uint32_t kind = 0;    // LumpKind, or anything else for plain data
    int32_t mode = 0;     // TextureMode for TGA lumps
    uint32_t unused[3] = {0, 0, 0};
};

constexpr uint32_t kPackHeaderSize = 24;
constexpr uint32_t kPackEntrySize = 28;
// Our largest pack holds a few megabytes; a file far beyond that is no pack of ours.
constexpr uint64_t kMaxPackSize = 256ull << 20;

class RESFILE {
  public:
    uint32_t fileLength = 0;
    std::ifstream stream;
    RESHEADER header;
    RESENTRY* directory = nullptr;  // header.lumpCount entries, or nullptr

    RESFILE() = default;
    ~RESFILE();
    RESFILE(const RESFILE&) = delete;
    RESFILE& operator=(const RESFILE&) = delete;

    // Opens and validates the pack: a regular file of at most kMaxPackSize (opened without
    // blocking, so a FIFO or device in its place is refused at once), magic, the complemented
    // length against the real one, and a directory that lies wholly inside the file.
    bool Open(const char* path);
    // Positions `stream` at lump n's first byte. False, with the position unchanged, when no pack
    // is open, n is not a lump, or the lump does not lie inside the file.
    bool SeekLump(int n);
    // Reads lump n into a buffer from new[] (the caller delete[]s it). On failure *out is
    // untouched.
    bool LoadData(int n, void** out);
    // Releases the directory and closes the stream; safe to call more than once.
    void Close();

    // Bytes of lump n, 0 when n is not a lump; bounds stream readers to their lump.
    uint32_t LumpSize(int n) const;
    int LumpCount() const;
    // Why the last Open, SeekLump or LoadData failed, worded to follow the pack's name ("does not
    // exist", "is not a valid resource pack", "has no lump 4").
    const std::string& Problem() const { return problem_; }

  private:
    bool LumpInsideFile(int n);
    bool Fail(const char* reason);
    std::string problem_;
};
