#include "BootLoaderStore.h"

#include "BatchMessages.h"
#include "BatchProgress.h"
#include "BootLoaderFile.h"
#include "Platform.h"

#include <filesystem>

std::string BootLoaderStore::FileOf(Variant variant) const {
    return BootLoaderFile::PathIn(m_folder, variant);
}

std::optional<DurableReplace::SameAsFile> BootLoaderStore::SameFileOf(Variant variant) const {
    const Entry& entry = m_entries[IndexOf(variant)];
    if (!entry.file)
        return std::nullopt;
    return DurableReplace::SameAsFile{&*entry.file, entry.readAt};
}

const BootLoaderStore::Bytes* BootLoaderStore::Of(Variant variant, BatchProgress& progress,
                                                  Use use) {
    Entry& entry = m_entries[IndexOf(variant)];
    if (!entry.loaded)
        Load(variant, entry, progress);
    const bool usable = !entry.failure || (use == Use::AsItIs && !entry.bytes.empty());
    return usable ? &entry.bytes : nullptr;
}

const InputFailure& BootLoaderStore::FailureOf(Variant variant) const {
    return *m_entries[IndexOf(variant)].failure;
}

std::optional<UncomparedBootLoader> BootLoaderStore::TakeProblem(Variant variant, Use use) {
    Entry& entry = m_entries[IndexOf(variant)];
    const bool compared = use == Use::AsItIs && !entry.bytes.empty();
    if (!entry.loaded || !entry.failure || compared || entry.problemTaken ||
        !Platform::IdentityOf(FileOf(variant)))
        return std::nullopt;
    entry.problemTaken = true;
    return UncomparedBootLoader{FileOf(variant), entry.failure->reason};
}

void BootLoaderStore::Load(Variant variant, Entry& entry, BatchProgress& progress) const {
    const std::string path = FileOf(variant);
    std::error_code gone;
    if (Platform::PathOf(path).is_relative() && std::filesystem::current_path(gone).empty()) {
        entry.loaded = true;
        entry.failure = InputFailure{
            InputFailure::Of::BootLoader,
            BatchMessages::BootLoaderUnusable(BatchMessages::NoCurrentFolder(gone.message())),
            std::nullopt};
        return;
    }
    try {
        File file = BootLoaderFile::Open(path);
        progress.BootLoaderOpened();
        const File::Version before = file.CurrentVersion();
        entry.bytes = BootLoaderFile::Read(file);
        entry.loaded = true;
        BootLoaderFile::RequireVariant(path, entry.bytes, variant);
        if (file.CurrentVersion() == before) {
            entry.readAt = before;
            entry.file.emplace(std::move(file));
        }
    } catch (const FileError& e) {
        if (e.IsOutOfHandles())
            throw;
        entry.loaded = true;
        // A wrong length or variant names the file and what is wrong with it already.
        const FileError::Cause cause = e.GetCause();
        const bool named =
            cause == FileError::Cause::WrongLength || cause == FileError::Cause::WrongVariant;
        entry.failure =
            InputFailure{InputFailure::Of::BootLoader,
                         named ? e.what() : BatchMessages::BootLoaderUnusable(e.what()), e};
    }
}
