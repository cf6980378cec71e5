// Reading a PDU given as hexadecimal text: the octets, converted once, and a cursor that knows
// their length and counts what a length field promised but the text lacked.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace bsms {

// Value of a hexadecimal digit, either case; 0 for any other character.
inline constexpr std::array<std::uint8_t, 256> kNibble = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = '0'; c <= '9'; ++c)
        t[c] = static_cast<std::uint8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c) {
        t[c] = static_cast<std::uint8_t>(c - 'A' + 10);
        t[c + 32] = t[c];
    }
    return t;
}();

// The octets of a hexadecimal text, converted once. A last lone character gives an octet of its
// high nibble alone, which is incomplete.
class Octets {
  public:
    explicit Octets(std::string_view hex) {
        const std::size_t n = (hex.size() + 1) / 2;
        if (n > small_.size()) large_.resize(n);
        std::uint8_t* out = n > small_.size() ? large_.data() : small_.data();
        const auto* in = reinterpret_cast<const unsigned char*>(hex.data());
        const std::size_t pairs = hex.size() / 2;
        for (std::size_t i = 0; i < pairs; ++i)
            out[i] = static_cast<std::uint8_t>(kNibble[in[2 * i]] << 4 | kNibble[in[2 * i + 1]]);
        if (hex.size() % 2 != 0)
            out[pairs] = static_cast<std::uint8_t>(kNibble[in[2 * pairs]] << 4);
        data_ = out;
        size_ = n;
        complete_ = pairs;
    }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::size_t complete() const { return complete_; }

    Octets(const Octets&) = delete;
    Octets& operator=(const Octets&) = delete;

  private:
    std::array<std::uint8_t, 512> small_;
    std::vector<std::uint8_t> large_;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0, complete_ = 0;
};

// Reads octets from the front. Past the end it reads 0 and counts the octet as missing, so no
// length field can lead outside the input and a cut PDU can be told from a whole one.
class OctetReader {
  public:
    explicit OctetReader(const Octets& o)
        : data_(o.data()), size_(o.size()), complete_(o.complete()) {}

    int octet() {
        if (pos_ < complete_) return data_[pos_++];
        ++missing_;
        if (pos_ < size_) return data_[pos_++];  // the incomplete last octet
        ++pos_;
        return 0;
    }
    void skip(std::size_t n) {
        const std::size_t end = pos_ + n;
        if (end > complete_) missing_ += end - std::max(pos_, complete_);
        pos_ = end;
    }
    // Complete octets that follow.
    std::size_t left() const { return pos_ < complete_ ? complete_ - pos_ : 0; }
    // Copies the next n octets into out, 0 where they are missing, and moves past them.
    void take(std::uint8_t* out, std::size_t n) {
        const std::size_t have = std::min(n, size_ > pos_ ? size_ - pos_ : 0);
        if (have > 0) std::memcpy(out, data_ + pos_, have);
        std::memset(out + have, 0, n - have);
        skip(n);
    }
    std::size_t missing() const { return missing_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_, complete_;
    std::size_t pos_ = 0;
    std::size_t missing_ = 0;
};

}  // namespace bsms
