#pragma once

#include "DurableReplace.h"
#include "File.h"
#include "InputResult.h"
#include "VariantTable.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

class BatchProgress;

// The two boot-loader files of one batch. Each is read at most once, on first use; a file that
// cannot be used fails every input that needs it with the same failure.
class BootLoaderStore {
public:
    using Bytes = std::vector<unsigned char>;

    // What a file is taken as: a boot loader that makes images of the variant its name says, or
    // the bytes it holds whatever they make, for telling which file an image's area equals.
    enum class Use { Verified, AsItIs };

    explicit BootLoaderStore(std::string folder) : m_folder(std::move(folder)) {}

    // The boot loader of this variant, or null where its file cannot be used so: missing, not a
    // regular file, of the wrong length, or (Verified) making images of the other variant. No
    // free handle is no fault of the file: that FileError is thrown, and the file read again on
    // the next use.
    const Bytes* Of(Variant variant, BatchProgress& progress, Use use = Use::Verified);
    // Once per batch: why this variant's file, which is there, could not be used so, after a use.
    std::optional<UncomparedBootLoader> TakeProblem(Variant variant, Use use = Use::Verified);
    const InputFailure& FailureOf(Variant variant) const;
    std::string FileOf(Variant variant) const;
    // The file this variant's boot loader was read from, still open, as it was then, where it did
    // not change while being read: an output may share its blocks while it is still so.
    std::optional<DurableReplace::SameAsFile> SameFileOf(Variant variant) const;

private:
    struct Entry {
        bool loaded = false;
        Bytes bytes;              // once read, whatever they make
        std::optional<File> file; // kept open where it did not change while being read
        File::Version readAt;
        std::optional<InputFailure> failure;
        bool problemTaken = false;
    };
    void Load(Variant variant, Entry& entry, BatchProgress& progress) const;

    std::string m_folder;
    std::array<Entry, 2> m_entries;
};
