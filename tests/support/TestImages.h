#pragma once

#include "VariantTable.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Test files made on the spot in temporary folders. Every byte is a known function of its offset
// and a seed, so a wrong offset in a conversion shows up as a wrong byte.
namespace TestImages {

using Bytes = std::vector<unsigned char>;

// Bytes whose value depends on offset and seed, never long runs of one value.
Bytes Pattern(std::size_t length, unsigned seed);

// A bare (0x7E0000) or full (0x800000) image; with1x puts "tux" at offset 8 of its image part.
Bytes BareImage(bool with1x, unsigned seed = 1);
Bytes FullImage(bool with1x, unsigned seed = 2);
// A boot-loader file of a variant, shaped like a real one: a 1x file carries "tux" at offset 8,
// which is where an output's signature comes from, a 2x file does not; 0x20000 bytes when usable.
Bytes BootLoader(Variant variant, unsigned seed, std::size_t length = 0x20000);

void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& path);

// The output the converter must write for an input and a boot-loader file: the boot-loader
// followed by the rest of the image part, and 0x00 for the byte a full image cannot supply.
Bytes ExpectedOutput(const Bytes& input, const Bytes& bootLoader);

// A fresh folder below the system's temporary folder (or below parent), removed with its content
// on destruction.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "keldarin",
                     const std::filesystem::path& parent = {});
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

} // namespace TestImages
