#include "assets/pack_writer.h"

#include <cstdio>
#include <fstream>
#include <limits>
#include <utility>

#include "assets/resfile.h"

void PutLE32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void SetPackLength(std::vector<uint8_t>& pack) {
    if (pack.size() < kPackHeaderSize) return;
    PutLE32(pack, 16, ~static_cast<uint32_t>(pack.size()));
}

int PackWriter::AddLump(uint32_t kind, int32_t mode, std::vector<uint8_t> bytes) {
    lumps_.push_back(Lump{kind, mode, std::move(bytes)});
    return static_cast<int>(lumps_.size()) - 1;
}

std::vector<uint8_t> PackWriter::Build() const {
    uint64_t total = kPackHeaderSize + static_cast<uint64_t>(lumps_.size()) * kPackEntrySize;
    for (const Lump& lump : lumps_) total += lump.bytes.size();
    if (total > std::numeric_limits<uint32_t>::max()) return {};

    std::vector<uint8_t> pack(kPackHeaderSize + lumps_.size() * kPackEntrySize, 0);
    pack[0] = 'V';
    pack[1] = 'L';
    pack[2] = 'M';
    pack[3] = 'A';
    PutLE32(pack, 12, static_cast<uint32_t>(lumps_.size()));
    PutLE32(pack, 20, kPackHeaderSize);
    for (size_t n = 0; n < lumps_.size(); ++n) {
        const size_t entry = kPackHeaderSize + n * kPackEntrySize;
        PutLE32(pack, entry, static_cast<uint32_t>(lumps_[n].bytes.size()));
        PutLE32(pack, entry + 4, static_cast<uint32_t>(pack.size()));
        PutLE32(pack, entry + 8, lumps_[n].kind);
        PutLE32(pack, entry + 12, static_cast<uint32_t>(lumps_[n].mode));
        pack.insert(pack.end(), lumps_[n].bytes.begin(), lumps_[n].bytes.end());
    }
    SetPackLength(pack);
    return pack;
}

bool PackWriter::WriteFile(const std::string& path, std::string* error) const {
    auto fail = [error](const std::string& reason) {
        if (error != nullptr) *error = reason;
        return false;
    };
    const std::vector<uint8_t> pack = Build();
    if (pack.empty()) return fail("the pack would exceed 4 GB");
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return fail("cannot create " + temporary);
        out.write(reinterpret_cast<const char*>(pack.data()),
                  static_cast<std::streamsize>(pack.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            return fail("cannot write " + temporary);
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return fail("cannot rename " + temporary + " to " + path);
    }
    return true;
}
