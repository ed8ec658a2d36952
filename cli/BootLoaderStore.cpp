#include "BootLoaderStore.h"

#include "BootLoaderFile.h"
#include "FileError.h"
#include "Messages.h"
#include "Platform.h"

#include <filesystem>

std::string BootLoaderStore::PathOf(Variant variant) const {
    return BootLoaderFile::PathIn(m_dir, variant);
}

const std::vector<unsigned char>& BootLoaderStore::Of(Variant variant) {
    Entry& entry = m_entries[IndexOf(variant)];
    if (!entry.loaded)
        Load(variant, entry);
    if (!entry.error.empty())
        throw std::runtime_error(entry.error);
    return entry.bytes;
}

const std::vector<unsigned char>* BootLoaderStore::IfUsable(Variant variant) {
    try {
        return &Of(variant);
    } catch (const FileError&) {
        throw; // no free handle, which is no fault of the file: the input fails, not the file
    } catch (const std::runtime_error&) {
        return nullptr;
    }
}

std::optional<std::string> BootLoaderStore::TakeProblem(Variant variant) {
    Entry& entry = m_entries[IndexOf(variant)];
    if (!entry.loaded || entry.error.empty() || entry.problemTaken ||
        !Platform::IdentityOf(PathOf(variant)))
        return std::nullopt;
    entry.problemTaken = true;
    return entry.error;
}

void BootLoaderStore::Load(Variant variant, Entry& entry) const {
    const std::string path = PathOf(variant);
    std::error_code gone;
    entry.loaded = true;
    if (Platform::PathOf(path).is_relative() && std::filesystem::current_path(gone).empty()) {
        entry.error = Messages::BootLoaderUnusable(Messages::NoCurrentFolder(gone.message()));
        return;
    }
    try {
        entry.bytes = BootLoaderFile::Load(path, variant);
    } catch (const FileError& e) {
        // No free handle is no fault of the file: it is read again when one is free.
        if (e.GetCause() == FileError::Cause::System && Platform::IsOutOfHandles(e.SystemCode())) {
            entry.loaded = false;
            throw;
        }
        // A wrong length or variant names the file and what is wrong with it already.
        const FileError::Cause cause = e.GetCause();
        entry.error =
            cause == FileError::Cause::WrongLength || cause == FileError::Cause::WrongVariant
                ? e.what()
                : Messages::BootLoaderUnusable(e.what());
    }
}
