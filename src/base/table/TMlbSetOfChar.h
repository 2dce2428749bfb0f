#pragma once

#include <bitset>

namespace kelvo {

// One flag per byte value: the bracket class of a LIKE pattern.
class TMlbSetOfChar {
public:
    void Clear() { bits_.reset(); }
    void Include(unsigned char byte) { bits_.set(byte); }
    bool Contains(unsigned char byte) const { return bits_.test(byte); }

private:
    std::bitset<256> bits_;
};

} // namespace kelvo
