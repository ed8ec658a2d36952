#pragma once

#include <string>
#include <vector>

// Puts a file in place whole or not at all: the bytes go to a new temporary file in the output's
// own folder, are synced, optionally read back and compared, and only then renamed over the
// output name. On any failure the temporary is removed and an earlier file of that name stays
// as it was.
class AtomicOutput {
public:
    // Throws FileError naming the output and the reason.
    static void Write(const std::string& path, const std::vector<unsigned char>& bytes,
                      bool verify);

private:
    static void Compare(const std::string& tempPath, const std::string& path,
                        const std::vector<unsigned char>& bytes);
};
