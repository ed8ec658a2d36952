#include "BootLoaderFile.h"

#include "FileError.h"
#include "ImageLayout.h"
#include "Platform.h"

#include <algorithm>

namespace BootLoaderFile {

std::string PathIn(const std::string& folder, Variant variant) {
    return Platform::Join(folder, InfoOf(variant).bootLoaderFile);
}

File Open(const std::string& path) {
    File file = File::OpenForReading(path);
    const std::uint64_t length = file.Length();
    if (length != ImageLayout::kBootLoaderLength)
        throw FileError::BootLoaderWrongLength(path, length);
    return file;
}

Bytes Read(File& file) {
    Bytes bytes(ImageLayout::kBootLoaderLength);
    if (file.ReadAt(0, bytes.data(), bytes.size()) != bytes.size())
        throw FileError::BootLoaderWrongLength(file.Path(), file.Length());
    return bytes;
}

void RequireVariant(const std::string& path, const Bytes& bytes, Variant variant) {
    static_assert(ImageLayout::kSignatureOffset + sizeof ImageLayout::kSignature1x <=
                      ImageLayout::kBootLoaderLength,
                  "the output's signature comes from its boot-loader file");
    if (ImageLayout::DetectVariant(bytes.data()) != variant)
        throw FileError::BootLoaderWrongVariant(path, variant);
}

std::optional<Variant> Matching(const unsigned char* area, Variant signature,
                                const Usable& usable) {
    for (Variant variant : {signature, TargetOf(signature)}) {
        const Bytes* bootLoader = usable(variant);
        if (bootLoader && std::equal(bootLoader->begin(), bootLoader->end(), area))
            return variant;
    }
    return std::nullopt;
}

} // namespace BootLoaderFile
