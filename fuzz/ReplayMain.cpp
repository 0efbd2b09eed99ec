// Runs a fuzz target's entry point once on every file named on the command
// line or found in a folder named there, as libFuzzer does when it is given
// files. Built in every build, so the seeds and the inputs that once crashed
// are replayed by the test suite, under sanitizers in the sanitizer build.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsUnder(const fs::path& place) {
    std::vector<fs::path> inputs;
    std::error_code error;
    if (fs::is_regular_file(place, error)) {
        inputs.push_back(place);
    } else if (fs::is_directory(place, error)) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(place)) {
            if (entry.is_regular_file() && entry.path().filename().string().front() != '.') {
                inputs.push_back(entry.path());
            }
        }
    }
    return inputs;
}

bool replay(const fs::path& input) {
    std::ifstream file(input, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", input.c_str());
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // A copy of exactly the input's size, so reading past its end is caught.
    std::vector<uint8_t> exact(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& input : inputsUnder(argv[i])) {
            if (!replay(input)) return 1;
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    // A run over nothing would prove nothing: the seed corpus is never empty.
    return replayed > 0 ? 0 : 1;
}
