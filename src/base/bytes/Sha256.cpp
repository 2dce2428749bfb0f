#include "bytes/Sha256.h"

// The low-level digest, deprecated in OpenSSL 3 in favour of EVP: EVP's first
// use reads the system's OpenSSL configuration and loads its providers,
// which costs a command capturing one file more than hashing it does.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

namespace kelvo {

struct Sha256::State {
    SHA256_CTX context;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    SHA256_Init(&state_->context);
}

Sha256::~Sha256() = default;

void Sha256::Add(std::string_view bytes) {
    SHA256_Update(&state_->context, bytes.data(), bytes.size());
}

std::string Sha256::Finish() {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256_Final(digest, &state_->context);
    SHA256_Init(&state_->context);
    return std::string(reinterpret_cast<const char*>(digest), sizeof digest);
}

} // namespace kelvo
