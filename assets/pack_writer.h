// Writes resource packs: the art generator makes the shipped packs with it and tests make good
// and damaged ones. The layout is the one RESFILE reads: header, directory right after it, then
// the lumps in the order they were added.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class PackWriter {
  public:
    // Adds a lump of `kind` (LumpKind or any other number) and texture `mode`; returns its number.
    int AddLump(uint32_t kind, int32_t mode, std::vector<uint8_t> bytes);
    int LumpCount() const { return static_cast<int>(lumps_.size()); }

    // The whole pack. Empty when it would not fit the format's 32-bit sizes.
    std::vector<uint8_t> Build() const;
    // Writes Build() to `path` through a temporary file and a rename, so a failed write never
    // leaves a half-written pack behind. False, with the reason in `error`, on failure.
    bool WriteFile(const std::string& path, std::string* error = nullptr) const;

  private:
    struct Lump {
        uint32_t kind;
        int32_t mode;
        std::vector<uint8_t> bytes;
    };
    std::vector<Lump> lumps_;
};

// Stores the complement of the pack's current length in its header, for a pack whose bytes were
// changed after Build(). Does nothing to data shorter than a header.
void SetPackLength(std::vector<uint8_t>& pack);
// Stores a 32-bit little-endian value at `offset` (which must leave 4 bytes in `bytes`).
void PutLE32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value);
