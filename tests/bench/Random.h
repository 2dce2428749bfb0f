#pragma once

#include <QByteArray>

#include <cstdint>

namespace kelvo::bench {

// splitmix64: fast, and the same on every machine, so a benchmark's data is
// the same from run to run.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int Below(int n) { return int(Next() % uint64_t(n)); }
    QByteArray Bytes(int count) {
        QByteArray bytes;
        while (bytes.size() < count) {
            const uint64_t word = Next();
            bytes.append(reinterpret_cast<const char*>(&word), sizeof word);
        }
        bytes.truncate(count);
        return bytes;
    }

private:
    uint64_t state_;
};

} // namespace kelvo::bench
