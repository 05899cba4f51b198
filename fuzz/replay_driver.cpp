// Replays fuzz inputs through a fuzz target without libFuzzer: every file named on the command
// line, and every file inside every folder named there, is fed to LLVMFuzzerTestOneInput once.
// A crash fails the run; that is the whole check.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "tests/support/test_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!std::filesystem::exists(argv[i])) return std::fprintf(stderr, "no %s\n", argv[i]), 1;
        if (!std::filesystem::is_directory(argv[i])) {
            inputs.emplace_back(argv[i]);
            continue;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i]))
            if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    for (const auto& input : inputs) {
        std::vector<uint8_t> bytes = test_files::ReadBytes(input);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
