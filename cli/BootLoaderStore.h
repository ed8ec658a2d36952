#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

// The two boot-loader files of one run. Each is read at most once, on first use; a file that
// cannot be used fails every input that needs it with the same reason.
class BootLoaderStore {
public:
    explicit BootLoaderStore(std::string dir) : m_dir(std::move(dir)) {}

    // The boot-loader that converts an image of this variant into the other one; throws
    // FileError when its file is missing or has the wrong length.
    const std::vector<unsigned char>& ForVariant(int variant);
    std::string PathForVariant(int variant) const;

private:
    struct Entry {
        bool loaded = false;
        std::vector<unsigned char> bytes;
        std::string error;
    };
    void Load(int variant, Entry& entry) const;

    std::string m_dir;
    std::array<Entry, 2> m_entries;
};
