// The TGA decoder on arbitrary bytes, bounded by their length as a pack bounds it by its lump.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "assets/tga.h"
#include "tests/support/recording_alert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RecordingAlert quiet;
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size),
                              std::ios::binary);
    Texture texture;
    if (LoadTGA2(&texture, &stream, size)) {
        // A decoded image owns exactly its pixels: touch the last byte.
        const size_t bytes = static_cast<size_t>(texture.width) * texture.height * texture.bpp / 8;
        volatile uint8_t last = texture.imageData[bytes - 1];
        (void)last;
    }
    return 0;
}
