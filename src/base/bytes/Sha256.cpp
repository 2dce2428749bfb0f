#include "bytes/Sha256.h"

#include "files/TemporaryFile.h"

#include <openssl/evp.h>

#include <cerrno>
#include <unistd.h>
#include <vector>

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

std::optional<std::string> Sha256OfFile(const std::string& path) {
    FileDescriptor file(OpenRegularFile(path));
    if (!file.Valid())
        return std::nullopt;
    Sha256 hash;
    std::vector<char> chunk(size_t{1} << 20);
    for (;;) {
        const ssize_t got = ::read(file.Get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return hash.Finish();
        hash.Add(std::string_view(chunk.data(), static_cast<size_t>(got)));
    }
}

} // namespace kelvo
