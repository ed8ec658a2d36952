#include "Sha256.h"

#include "Hex.h"

std::string Sha256::HexOf(const unsigned char* bytes, std::size_t size) {
    const Digest digest = Of(bytes, size);
    return LowerHex(digest.data(), digest.size());
}
