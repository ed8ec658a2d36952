#include "BootLoaderStore.h"

#include "File.h"
#include "FileError.h"
#include "ImageLayout.h"
#include "Messages.h"

#include <filesystem>

std::string BootLoaderStore::PathOf(Variant variant) const {
    return (std::filesystem::path(m_dir) / InfoOf(variant).bootLoaderFile).string();
}

const std::vector<unsigned char>& BootLoaderStore::Of(Variant variant) {
    Entry& entry = m_entries[variant == Variant::k2x ? 1 : 0];
    if (!entry.loaded) {
        entry.loaded = true;
        Load(variant, entry);
    }
    if (!entry.error.empty())
        throw std::runtime_error(entry.error);
    return entry.bytes;
}

const std::vector<unsigned char>* BootLoaderStore::IfUsable(Variant variant) {
    try {
        return &Of(variant);
    } catch (const std::runtime_error&) {
        return nullptr;
    }
}

void BootLoaderStore::Load(Variant variant, Entry& entry) const {
    const std::string path = PathOf(variant);
    std::error_code gone;
    if (std::filesystem::path(path).is_relative() && std::filesystem::current_path(gone).empty()) {
        entry.error = Messages::BootLoaderUnusable(Messages::NoCurrentFolder(gone.message()));
        return;
    }
    try {
        File file = File::OpenForReading(path);
        const std::uint64_t length = file.Length();
        if (length != ImageLayout::kBootLoaderLength) {
            entry.error = Messages::BootLoaderWrongLength(path, length);
            return;
        }
        entry.bytes.resize(ImageLayout::kBootLoaderLength);
        if (file.ReadAt(0, entry.bytes.data(), entry.bytes.size()) != entry.bytes.size())
            entry.error = Messages::BootLoaderWrongLength(path, file.Length());
    } catch (const FileError& e) {
        entry.error = Messages::BootLoaderUnusable(e.what());
    }
}
