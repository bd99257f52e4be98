#pragma once
// Reads a fuzz input as a sequence of choices; past its end every choice is 0 or empty, so
// any input is a complete script.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace kalvora::fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool empty() const { return at_ >= size_; }
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    bool flag() { return byte() & 1; }
    // 0 to count - 1; count must not be 0.
    std::size_t choice(std::size_t count) { return byte() % count; }
    std::int64_t integer()
    {
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v = (v << 8) | byte();
        std::int64_t out;
        std::memcpy(&out, &v, sizeof out);
        return out;
    }
    // Up to most bytes, the count taken from the input first.
    std::string bytes(std::size_t most)
    {
        std::size_t n = most == 0 ? 0 : byte() % (most + 1);
        n = std::min(n, size_ - std::min(at_, size_));
        std::string out(reinterpret_cast<const char*>(data_ + std::min(at_, size_)), n);
        at_ += n;
        return out;
    }
    std::string rest()
    {
        const std::size_t from = std::min(at_, size_);
        at_ = size_;
        return std::string(reinterpret_cast<const char*>(data_ + from), size_ - from);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

}  // namespace kalvora::fuzz
