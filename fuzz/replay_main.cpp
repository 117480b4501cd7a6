// Replays a fuzz target's saved inputs (its corpus and every crash it ever found)
// in an ordinary build, so the sanitizer build of the tests keeps them fixed.
// Targets that can tell a wrong answer abort on one, so their replays fail
// without sanitizers too.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(argv[i]))
                if (e.is_regular_file()) files.push_back(e.path());
        } else {
            files.emplace_back(argv[i]);
        }
        for (const auto& f : files) {
            // Named first: an input that fails a target's checks ends the replay.
            fprintf(stderr, "%s\n", f.c_str());
            std::ifstream in(f, std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++count;
        }
    }
    printf("replayed %zu inputs\n", count);
    return count ? 0 : 1;
}
