#include "BootLoaderStore.h"

#include "FileError.h"
#include "FileHandle.h"
#include "ImageLayout.h"
#include "Messages.h"
#include "VariantTable.h"

#include <filesystem>

std::string BootLoaderStore::PathForVariant(int variant) const {
    return (std::filesystem::path(m_dir) / VariantRowFor(variant).bootLoaderFile).string();
}

const std::vector<unsigned char>& BootLoaderStore::ForVariant(int variant) {
    Entry& entry = m_entries[variant == kVariant2x ? kVariant2x : kVariant1x];
    if (!entry.loaded) {
        entry.loaded = true;
        Load(variant, entry);
    }
    if (!entry.error.empty())
        throw FileError(entry.error);
    return entry.bytes;
}

void BootLoaderStore::Load(int variant, Entry& entry) const {
    const std::string path = PathForVariant(variant);
    try {
        FileHandle file = FileHandle::OpenForReading(path);
        const std::uint64_t length = file.Length();
        if (length != ImageLayout::kBootLoaderLength) {
            entry.error = Messages::BootLoaderWrongLength(path, length);
            return;
        }
        entry.bytes.resize(ImageLayout::kBootLoaderLength);
        if (file.Read(entry.bytes.data(), entry.bytes.size()) != entry.bytes.size())
            entry.error = Messages::BootLoaderWrongLength(path, file.Length());
    } catch (const FileError& e) {
        entry.error = Messages::BootLoaderUnusable(e.what());
    }
}
