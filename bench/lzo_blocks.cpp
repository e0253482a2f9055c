// kobpack-lzobench DIR...
//
// The yardstick for compressed packing: reads every file below the given
// folders whole, as the packer does, and compresses each 32 KiB block with
// bare lzo1x_999_compress on this one thread. Nothing is written. Prints the
// source bytes, the compressed bytes and the seconds taken.

#include <lzo/lzo1x.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kBlock = 32768;

bool readWhole(const fs::path& path, std::vector<unsigned char>& buffer, size_t& size)
{
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in)
        return false;
    std::error_code ec;
    size = static_cast<size_t>(fs::file_size(path, ec));
    if (ec) {
        std::fclose(in);
        return false;
    }
    if (buffer.size() < size)
        buffer.resize(size);
    const bool ok = size == 0 || std::fread(buffer.data(), 1, size, in) == size;
    std::fclose(in);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: kobpack-lzobench DIR...\n");
        return 2;
    }
    if (lzo_init() != LZO_E_OK) {
        std::fprintf(stderr, "kobpack-lzobench: lzo_init failed\n");
        return 1;
    }
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        std::error_code ec;
        for (fs::recursive_directory_iterator it(argv[i], ec), end; !ec && it != end; it.increment(ec))
            if (it->is_regular_file())
                files.push_back(it->path());
        if (ec) {
            std::fprintf(stderr, "kobpack-lzobench: cannot walk %s: %s\n", argv[i], ec.message().c_str());
            return 1;
        }
    }
    std::sort(files.begin(), files.end());

    const auto start = std::chrono::steady_clock::now();
    std::vector<unsigned char> input;
    std::vector<unsigned char> output(kBlock + kBlock / 16 + 64 + 3);
    const std::unique_ptr<unsigned char[]> workMemory(new unsigned char[LZO1X_999_MEM_COMPRESS]());
    uint64_t sourceBytes = 0;
    uint64_t compressedBytes = 0;
    for (const fs::path& path : files) {
        size_t size = 0;
        if (!readWhole(path, input, size)) {
            std::fprintf(stderr, "kobpack-lzobench: cannot read %s\n", path.c_str());
            return 1;
        }
        for (size_t p = 0; p < size; p += kBlock) {
            const size_t length = std::min(kBlock, size - p);
            lzo_uint outLength = 0;
            if (lzo1x_999_compress(input.data() + p, length, output.data(), &outLength, workMemory.get()) != LZO_E_OK) {
                std::fprintf(stderr, "kobpack-lzobench: a block of %s was rejected\n", path.c_str());
                return 1;
            }
            compressedBytes += outLength;
        }
        sourceBytes += size;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("files=%zu source_bytes=%llu compressed_bytes=%llu seconds=%.3f\n", files.size(),
                static_cast<unsigned long long>(sourceBytes), static_cast<unsigned long long>(compressedBytes),
                seconds);
    return 0;
}
