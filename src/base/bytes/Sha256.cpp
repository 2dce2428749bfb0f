#include "bytes/Sha256.h"

#include <openssl/evp.h>

namespace kelvo {

struct Sha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr);
}

Sha256::~Sha256() = default;

void Sha256::Add(std::string_view bytes) {
    EVP_DigestUpdate(state_->context, bytes.data(), bytes.size());
}

std::string Sha256::Finish() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(state_->context, digest, &size);
    EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr);
    return std::string(reinterpret_cast<const char*>(digest), size);
}

} // namespace kelvo
