// Stands in for libFuzzer's driver in the ordinary (gcc, sanitizer) build: runs the fuzz target
// once on every file named on the command line or found under the folders named, so that every
// input a fuzzer ever found, and the seed corpus, is replayed with the ordinary tests. A missing
// folder is skipped: a new target may have no regression files yet.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

namespace {

bool runFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.u8string().c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "Running: %s (%zu bytes)\n", path.u8string().c_str(), bytes.size());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize) {
        LLVMFuzzerInitialize(&argc, &argv);
    }
    // The empty input first: every target must take it.
    LLVMFuzzerTestOneInput(nullptr, 0);
    int runs = 1;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const fs::path root(argv[i]);
        std::error_code error;
        if (fs::is_regular_file(root, error)) {
            ok = runFile(root) && ok;
            ++runs;
            continue;
        }
        if (!fs::is_directory(root, error)) {
            std::fprintf(stderr, "skipped (no such folder): %s\n", root.u8string().c_str());
            continue;
        }
        std::vector<fs::path> files;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            ok = runFile(file) && ok;
            ++runs;
        }
    }
    std::fprintf(stderr, "%s: %d inputs replayed\n", argv[0], runs);
    return ok ? 0 : 1;
}
