// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace search {

// A fast 64-bit digest of bytes (MurmurHash64A), stable across runs and
// platforms of the same byte order.
inline std::uint64_t hashBytes(const void* data, std::size_t length, std::uint64_t seed = 0) {
    constexpr std::uint64_t m = 0xc6a4a7935bd1e995ULL;
    constexpr int r = 47;
    std::uint64_t h = seed ^ (length * m);
    const unsigned char* p = static_cast<const unsigned char*>(data);
    const unsigned char* end = p + (length & ~std::size_t(7));
    for (; p != end; p += 8) {
        std::uint64_t k;
        std::memcpy(&k, p, 8);
        k *= m;
        k ^= k >> r;
        k *= m;
        h ^= k;
        h *= m;
    }
    switch (length & 7) {
    case 7:
        h ^= std::uint64_t(p[6]) << 48;
        [[fallthrough]];
    case 6:
        h ^= std::uint64_t(p[5]) << 40;
        [[fallthrough]];
    case 5:
        h ^= std::uint64_t(p[4]) << 32;
        [[fallthrough]];
    case 4:
        h ^= std::uint64_t(p[3]) << 24;
        [[fallthrough]];
    case 3:
        h ^= std::uint64_t(p[2]) << 16;
        [[fallthrough]];
    case 2:
        h ^= std::uint64_t(p[1]) << 8;
        [[fallthrough]];
    case 1:
        h ^= std::uint64_t(p[0]);
        h *= m;
    }
    h ^= h >> r;
    h *= m;
    h ^= h >> r;
    return h;
}

} // namespace search
