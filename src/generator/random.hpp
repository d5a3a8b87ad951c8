// The generator's pseudo-random source: xoshiro256++ seeded by SplitMix64, and the draws built
// on it. Seeded output must be reproducible bit for bit, so every primitive documents exactly
// how many outputs it consumes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace qarvex {

using RandomState = std::array<std::uint64_t, 4>;
using Entropy = std::array<std::uint8_t, 32>;

// The first four outputs of SplitMix64 started at `seed`.
RandomState splitmix64_state(std::uint64_t seed);

class Random {
 public:
  // Takes the state as it is. An all-zero state would only ever yield zeros; use the
  // factories below, which never produce one.
  explicit Random(const RandomState& state) : state_(state) {}

  static Random seeded(std::uint64_t seed) { return Random(splitmix64_state(seed)); }

  // A state saved from state(), e.g. to continue a sequence elsewhere; none for the all-zero
  // state, which no factory produces.
  static std::optional<Random> from_state(const RandomState& state);

  // Four little-endian words; 32 zero bytes give the state of seed 0.
  static Random from_entropy(const Entropy& bytes);

  // Seeded from the operating system's cryptographic source; none if it cannot be read.
  static std::optional<Random> from_os();

  const RandomState& state() const { return state_; }

  // One xoshiro256++ step.
  std::uint64_t next64();
  // The upper half of one next64.
  std::uint32_t next32() { return static_cast<std::uint32_t>(next64() >> 32); }
  // Uniform in [0, n) for n >= 1: one next32, and a second one only when the first falls in
  // the narrow band where the product's carry is undecided. below(0) draws nothing and is 0.
  std::uint32_t below(std::uint32_t n);
  // Uniform in [a, b], both ends included (a <= b): one next64, rarely a second.
  std::uint64_t between(std::uint64_t a, std::uint64_t b);
  // True with probability 1/2 (top bit clear), one next64.
  bool coin() { return next64() < (std::uint64_t{1} << 63); }
  // True with probability 1/4 (two top bits clear), one next64.
  bool quarter() { return next64() < (std::uint64_t{1} << 62); }
  // k distinct indices out of [0, n) (k <= n) by Floyd's method: k draws of below.
  std::vector<std::uint32_t> sample(std::uint32_t n, std::uint32_t k);

 private:
  RandomState state_;
};

}  // namespace qarvex
