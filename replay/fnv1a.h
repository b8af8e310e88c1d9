// FNV-1a, 64 bits: the fingerprint of pictures and palettes in the trace. Chosen for being
// trivial to reimplement in any checker, not for strength.
#pragma once

#include <cstdint>
#include <span>

namespace kestal::replay {

inline constexpr std::uint64_t FNV1A_OFFSET_BASIS = 0xcbf29ce484222325ULL;
inline constexpr std::uint64_t FNV1A_PRIME = 0x100000001b3ULL;

constexpr std::uint64_t fnv1a64(std::span<const std::uint8_t> bytes,
                                std::uint64_t hash = FNV1A_OFFSET_BASIS) {
  for (std::uint8_t byte : bytes) {
    hash ^= byte;
    hash *= FNV1A_PRIME;
  }
  return hash;
}

}  // namespace kestal::replay
