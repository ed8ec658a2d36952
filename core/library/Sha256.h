#pragma once

#include <array>
#include <cstddef>
#include <string>

// The SHA-256 digest of bytes already in memory, from the system's own well-kept
// implementation: OpenSSL on POSIX, BCrypt on Windows (one source file each).
class Sha256 {
public:
    using Digest = std::array<unsigned char, 32>;

    // Throws std::runtime_error when the system's hash cannot be had.
    static Digest Of(const unsigned char* bytes, std::size_t size);
    // Loads what Of needs where that is loaded at the first digest (POSIX), for a caller that is
    // about to take much memory; a failure is Of's to report.
    static void Prepare() noexcept;
    // Lower-case hex, as sha256sum writes it.
    static std::string HexOf(const unsigned char* bytes, std::size_t size);
};
