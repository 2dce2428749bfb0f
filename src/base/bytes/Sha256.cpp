#include "bytes/Sha256.h"

#include "bytes/Sha256Blocks.h"

#include <algorithm>
#include <cstring>

namespace kelvo {

namespace sha256_detail {

namespace {

constexpr std::uint32_t kInitialState[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                            0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

constexpr std::size_t kLengthSize = 8;

} // namespace

Digest::Digest(BlockFunction blocks) : blocks_(blocks) {
    Restart();
}

void Digest::Restart() {
    std::copy(std::begin(kInitialState), std::end(kInitialState), state_);
    pendingSize_ = 0;
    totalSize_ = 0;
}

void Digest::Add(std::string_view bytes) {
    // An empty view may have no data at all, which memcpy must not be given.
    if (bytes.empty())
        return;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t size = bytes.size();
    totalSize_ += size;
    if (pendingSize_ > 0) {
        const std::size_t taken = std::min(size, kBlockSize - pendingSize_);
        std::memcpy(pending_ + pendingSize_, data, taken);
        pendingSize_ += taken;
        data += taken;
        size -= taken;
        if (pendingSize_ < kBlockSize)
            return;
        blocks_(state_, pending_, 1);
        pendingSize_ = 0;
    }
    // Whole blocks straight from the caller's bytes: no copy on the long run.
    const std::size_t wholeBlocks = size / kBlockSize;
    if (wholeBlocks > 0)
        blocks_(state_, data, wholeBlocks);
    pendingSize_ = size % kBlockSize;
    std::memcpy(pending_, data + wholeBlocks * kBlockSize, pendingSize_);
}

std::string Digest::Finish() {
    const std::uint64_t totalBits = totalSize_ * 8;
    pending_[pendingSize_++] = 0x80;
    if (pendingSize_ > kBlockSize - kLengthSize) {
        std::memset(pending_ + pendingSize_, 0, kBlockSize - pendingSize_);
        blocks_(state_, pending_, 1);
        pendingSize_ = 0;
    }
    std::memset(pending_ + pendingSize_, 0, kBlockSize - kLengthSize - pendingSize_);
    for (std::size_t i = 0; i < kLengthSize; ++i)
        pending_[kBlockSize - 1 - i] = static_cast<unsigned char>(totalBits >> (8 * i));
    blocks_(state_, pending_, 1);

    std::string digest(sizeof state_, '\0');
    for (std::size_t word = 0; word < 8; ++word)
        for (std::size_t i = 0; i < 4; ++i)
            digest[word * 4 + i] = static_cast<char>(state_[word] >> (24 - 8 * i));
    Restart();
    return digest;
}

} // namespace sha256_detail

struct Sha256::State {
    sha256_detail::Digest digest;
};

namespace {

sha256_detail::BlockFunction FastestBlocks() {
    const sha256_detail::BlockFunction instructions = sha256_detail::InstructionBlocks();
    return instructions ? instructions : sha256_detail::PortableBlocks;
}

} // namespace

Sha256::Sha256() : state_(std::make_unique<State>(State{sha256_detail::Digest(FastestBlocks())})) {}

Sha256::~Sha256() = default;

void Sha256::Add(std::string_view bytes) {
    state_->digest.Add(bytes);
}

std::string Sha256::Finish() {
    return state_->digest.Finish();
}

} // namespace kelvo
