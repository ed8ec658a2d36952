#include "BootLoaderFile.h"

#include "FileError.h"
#include "ImageLayout.h"
#include "Platform.h"

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

Bytes Load(const std::string& path) {
    File file = Open(path);
    return Read(file);
}

} // namespace BootLoaderFile
