#include "Sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

Sha256::Digest Sha256::Of(const unsigned char* bytes, std::size_t size) {
    Digest digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes, size, digest.data(), &length, EVP_sha256(), nullptr) != 1 ||
        length != digest.size())
        throw std::runtime_error("SHA-256 not available from OpenSSL");
    return digest;
}
