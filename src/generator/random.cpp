#include "generator/random.hpp"

#include <sys/random.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstddef>

namespace qarvex {
namespace {

__extension__ using Wide = unsigned __int128;

constexpr std::uint64_t golden_gamma = 0x9e3779b97f4a7c15;

std::uint64_t splitmix64_output(std::uint64_t seed, std::uint64_t index) {
  std::uint64_t z = seed + index * golden_gamma;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
  z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
  return z ^ (z >> 31);
}

// Reads the whole buffer, retrying short reads and interruptions.
bool read_os_entropy(Entropy& bytes) {
  std::size_t filled = 0;
  while (filled < bytes.size()) {
    ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    filled += static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace

RandomState splitmix64_state(std::uint64_t seed) {
  return {splitmix64_output(seed, 1), splitmix64_output(seed, 2), splitmix64_output(seed, 3),
          splitmix64_output(seed, 4)};
}

Random Random::from_entropy(const Entropy& bytes) {
  RandomState state{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    state[i / 8] |= std::uint64_t{bytes[i]} << (8 * (i % 8));
  }
  if (std::ranges::all_of(state, [](std::uint64_t word) { return word == 0; })) {
    return seeded(0);
  }
  return Random(state);
}

std::optional<Random> Random::from_state(const RandomState& state) {
  if (std::ranges::all_of(state, [](std::uint64_t word) { return word == 0; })) {
    return std::nullopt;
  }
  return Random(state);
}

std::optional<Random> Random::from_os() {
  Entropy bytes{};
  if (!read_os_entropy(bytes)) return std::nullopt;
  return from_entropy(bytes);
}

std::uint64_t Random::next64() {
  auto& [s0, s1, s2, s3] = state_;
  const std::uint64_t result = std::rotl(s0 + s3, 23) + s0;
  const std::uint64_t t = s1 << 17;
  s2 ^= s0;
  s3 ^= s1;
  s1 ^= s2;
  s0 ^= s3;
  s2 ^= t;
  s3 = std::rotl(s3, 45);
  return result;
}

std::uint32_t Random::below(std::uint32_t n) {
  if (n == 0) return 0;
  const std::uint64_t product = std::uint64_t{next32()} * n;
  std::uint32_t result = static_cast<std::uint32_t>(product >> 32);
  const std::uint32_t low = static_cast<std::uint32_t>(product);
  // `0u - n` is 2^32 - n. Only above it can the fraction carry into the result.
  if (low > 0u - n) {
    const std::uint64_t next_high = (std::uint64_t{next32()} * n) >> 32;
    if (std::uint64_t{low} + next_high >= (std::uint64_t{1} << 32)) ++result;
  }
  return result;
}

std::uint64_t Random::between(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t n = b - a + 1;
  // The whole 64-bit range: every output is already uniform over it.
  if (n == 0) return a + next64();
  const Wide product = Wide{next64()} * n;
  std::uint64_t result = static_cast<std::uint64_t>(product >> 64);
  const std::uint64_t low = static_cast<std::uint64_t>(product);
  if (low > 0 - n) {
    const std::uint64_t next_high = static_cast<std::uint64_t>((Wide{next64()} * n) >> 64);
    if (low + next_high < low) ++result;  // the sum reached 2^64
  }
  return a + result;
}

std::vector<std::uint32_t> Random::sample(std::uint32_t n, std::uint32_t k) {
  k = std::min(k, n);
  std::vector<std::uint32_t> chosen;
  chosen.reserve(k);
  for (std::uint32_t j = n - k; j < n; ++j) {
    const std::uint32_t t = below(j + 1);
    // j itself is new to the list, so it can take the place of a repeated t; appending t
    // then keeps every index distinct and the order random.
    if (auto repeated = std::ranges::find(chosen, t); repeated != chosen.end()) *repeated = j;
    chosen.push_back(t);
  }
  return chosen;
}

}  // namespace qarvex
