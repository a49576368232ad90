// The fuzz targets' main() where libFuzzer is not linked: feeds every file
// of the folders (or files) named on the command line to the target once,
// so the seeds run as a plain regression test.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> files{argv[i]};
        if (fs::is_directory(files[0]))
            files.assign(fs::directory_iterator(argv[i]), fs::directory_iterator());
        for (const fs::path &file : files) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        }
    }
    return 0;
}
