#include "Sha256.h"

#include <windows.h>

#include <bcrypt.h>
#include <limits>
#include <stdexcept>

namespace {

// One call of BCrypt in a row of them; the NTSTATUS is kept for the reason.
void Check(NTSTATUS status, const char* what) {
    if (status < 0)
        throw std::runtime_error(std::string("SHA-256 not available from BCrypt: ") + what +
                                 " failed with status " +
                                 std::to_string(static_cast<unsigned long>(status)));
}

} // namespace

Sha256::Digest Sha256::Of(const unsigned char* bytes, std::size_t size) {
    Digest digest{};
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    Check(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0),
          "BCryptOpenAlgorithmProvider");
    BCRYPT_HASH_HANDLE hash = nullptr;
    NTSTATUS status = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
    const char* step = "BCryptCreateHash";
    // BCryptHashData takes at most a ULONG at a time.
    const std::size_t chunkMax = std::numeric_limits<ULONG>::max();
    for (std::size_t at = 0; status >= 0 && at < size; at += chunkMax) {
        const std::size_t chunk = size - at < chunkMax ? size - at : chunkMax;
        status = BCryptHashData(hash, const_cast<PUCHAR>(bytes + at), static_cast<ULONG>(chunk), 0);
        step = "BCryptHashData";
    }
    if (status >= 0) {
        status = BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0);
        step = "BCryptFinishHash";
    }
    if (hash)
        BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    Check(status, step);
    return digest;
}

void Sha256::Prepare() noexcept {}
