// Runs a fuzz target's entry point once over every file named on the command
// line or found in a folder named there, so that the corpus (crash inputs
// included) is replayed by an ordinary build without libFuzzer.

#include "support/StdFiles.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace kelvo::fuzz {
namespace {

namespace fs = std::filesystem;

bool CollectInputs(const fs::path& path, std::vector<fs::path>& inputs) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        std::vector<fs::path> found;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path, error)) {
            if (entry.is_regular_file(error)) {
                found.push_back(entry.path());
            }
        }
        if (error) {
            std::fprintf(stderr, "cannot list %s: %s\n", path.c_str(), error.message().c_str());
            return false;
        }
        // A fixed order makes a failing run repeat the same way.
        std::sort(found.begin(), found.end());
        inputs.insert(inputs.end(), found.begin(), found.end());
        return true;
    }
    if (fs::is_regular_file(path, error)) {
        inputs.push_back(path);
        return true;
    }
    std::fprintf(stderr, "no such file or folder: %s\n", path.c_str());
    return false;
}

} // namespace
} // namespace kelvo::fuzz

int main(int argc, char** argv) {
    using namespace kelvo::fuzz;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!CollectInputs(argv[i], inputs)) {
            return 2;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: %s FILE_OR_FOLDER... (no inputs found)\n", argv[0]);
        return 2;
    }
    for (const fs::path& input : inputs) {
        const std::optional<std::string> bytes = kelvo::testing::ReadFile(input);
        if (!bytes) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 2;
        }
        // Printed first, so that the input is named when the target aborts.
        std::fprintf(stderr, "replaying %s (%zu bytes)\n", input.c_str(), bytes->size());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
