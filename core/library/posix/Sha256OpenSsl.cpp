#include "Sha256.h"

#include <dlfcn.h>
#include <openssl/evp.h>

#include <stdexcept>

namespace {

// OpenSSL's digest, from libcrypto loaded at the first digest rather than at the start: loading
// it costs about a millisecond, as long as converting a few images takes, whether or not any
// digest follows.
struct Digester {
    decltype(&EVP_Digest) digest = nullptr;
    decltype(&EVP_sha256) sha256 = nullptr;
};

Digester Load() {
    Digester digester;
    if (void* library = dlopen(KELDARIN_LIBCRYPTO, RTLD_NOW | RTLD_LOCAL)) {
        digester.digest = reinterpret_cast<decltype(&EVP_Digest)>(dlsym(library, "EVP_Digest"));
        digester.sha256 = reinterpret_cast<decltype(&EVP_sha256)>(dlsym(library, "EVP_sha256"));
    }
    return digester;
}

const Digester& OpenSsl() {
    static const Digester digester = Load();
    return digester;
}

} // namespace

void Sha256::Prepare() noexcept {
    OpenSsl();
}

Sha256::Digest Sha256::Of(const unsigned char* bytes, std::size_t size) {
    const Digester& openSsl = OpenSsl();
    Digest digest{};
    unsigned int length = 0;
    if (!openSsl.digest || !openSsl.sha256 ||
        openSsl.digest(bytes, size, digest.data(), &length, openSsl.sha256(), nullptr) != 1 ||
        length != digest.size())
        throw std::runtime_error("SHA-256 not available from OpenSSL");
    return digest;
}
