#include "TestImages.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

namespace TestImages {

namespace fs = std::filesystem;

Bytes Pattern(std::size_t length, unsigned seed) {
    Bytes bytes(length);
    std::uint32_t state = 0x9E3779B9u * (seed + 1);
    for (std::size_t i = 0; i < length; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes[i] = static_cast<unsigned char>(state >> 24);
    }
    return bytes;
}

namespace {
void Sign(Bytes& bytes, std::size_t partOffset, bool with1x) {
    const unsigned char tux[] = {'t', 'u', 'x'};
    for (std::size_t i = 0; i < 3 && partOffset + 8 + i < bytes.size(); ++i) {
        // A 2x file must not carry the signature by chance.
        bytes[partOffset + 8 + i] = with1x ? tux[i] : static_cast<unsigned char>('a' + i);
    }
}

Bytes Image(std::size_t length, std::size_t partOffset, bool with1x, unsigned seed) {
    Bytes bytes = Pattern(length, seed);
    Sign(bytes, partOffset, with1x);
    return bytes;
}
} // namespace

Bytes BareImage(bool with1x, unsigned seed) {
    return Image(0x7E0000, 0, with1x, seed);
}

Bytes FullImage(bool with1x, unsigned seed) {
    return Image(0x800000, 0x20001, with1x, seed);
}

Bytes BootLoader(Variant variant, unsigned seed, std::size_t length) {
    Bytes bytes = Pattern(length, seed + 1000);
    Sign(bytes, 0, variant == Variant::k1x);
    return bytes;
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes ExpectedOutput(const Bytes& input, const Bytes& bootLoader) {
    const std::size_t partOffset = input.size() == 0x800000 ? 0x20001 : 0;
    Bytes out(0x7E0000, 0x00);
    std::copy(bootLoader.begin(), bootLoader.begin() + 0x20000, out.begin());
    const std::size_t restInFile = input.size() - partOffset - 0x20000;
    std::copy_n(input.begin() + partOffset + 0x20000, restInFile, out.begin() + 0x20000);
    return out;
}

TempDir::TempDir(const std::string& prefix, const fs::path& parent) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = (parent.empty() ? fs::temp_directory_path() : parent) /
                             (prefix + "-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

} // namespace TestImages
