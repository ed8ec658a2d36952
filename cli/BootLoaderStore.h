#pragma once

#include "VariantTable.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// The two boot-loader files of one run. Each is read at most once, on first use; a file that
// cannot be used fails every input that needs it with the same reason.
class BootLoaderStore {
public:
    explicit BootLoaderStore(std::string dir) : m_dir(std::move(dir)) {}

    // The boot loader of this variant; throws when its file is missing, not a regular file, of
    // the wrong length or makes images of the other variant.
    const std::vector<unsigned char>& Of(Variant variant);
    // The same, or null where its file cannot be used: for a comparison that may do without. No
    // free handle is no fault of the file: that FileError is thrown, as by Of.
    const std::vector<unsigned char>* IfUsable(Variant variant);
    // Once per run: why this variant's file, which is there, could not be used, after a use.
    std::optional<std::string> TakeProblem(Variant variant);
    std::string PathOf(Variant variant) const;

private:
    struct Entry {
        bool loaded = false;
        std::vector<unsigned char> bytes;
        std::string error;
        bool problemTaken = false;
    };
    void Load(Variant variant, Entry& entry) const;

    std::string m_dir;
    std::array<Entry, 2> m_entries;
};
