#include "validator/name_index.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <utility>

#include "base/unicode_lower.hpp"
#include "validator/edit_distance.hpp"

namespace qarvex {
namespace {

using Bigram = std::uint16_t;

// The distinct byte pairs of `text`, each with how often it occurs.
std::vector<std::pair<Bigram, std::uint32_t>> bigram_counts(std::string_view text) {
  std::vector<Bigram> all;
  for (std::size_t i = 1; i < text.size(); ++i) {
    all.push_back(static_cast<Bigram>(static_cast<unsigned char>(text[i - 1]) << 8 |
                                      static_cast<unsigned char>(text[i])));
  }
  std::sort(all.begin(), all.end());
  std::vector<std::pair<Bigram, std::uint32_t>> counts;
  for (Bigram bigram : all) {
    if (!counts.empty() && counts.back().first == bigram) {
      ++counts.back().second;
    } else {
      counts.emplace_back(bigram, 1);
    }
  }
  return counts;
}

// Each edit destroys at most two of a text's byte pairs, so two texts within max_distance
// share, counted with repetition, at least this many; zero or less rules nothing out.
long shared_bigrams_needed(std::size_t a, std::size_t b) {
  return static_cast<long>(std::max(a, b)) - 1 - 2 * static_cast<long>(NameIndex::max_distance);
}

// A byte pair held by more than this share of a bucket's members is not counted.
constexpr std::size_t common_share = 4;

// The bytes of a text as a set of 64 bits, byte b at bit b mod 64. One edit removes at most
// one byte value from a text and adds at most one, so texts within max_distance differ by at
// most that many bits each way (bytes sharing a bit only hide differences).
std::uint64_t byte_set(std::string_view text) {
  std::uint64_t bits = 0;
  for (char c : text) bits |= std::uint64_t{1} << (static_cast<unsigned char>(c) & 63);
  return bits;
}

bool byte_sets_allow(std::uint64_t a, std::uint64_t b) {
  return std::popcount(a & ~b) <= static_cast<int>(NameIndex::max_distance) &&
         std::popcount(b & ~a) <= static_cast<int>(NameIndex::max_distance);
}

// Myers' bit-parallel edit distance for a pattern of at most 64 bytes: one column of the
// table per text byte in a few word operations. `matches[c]` has bit i set where pattern
// byte i is c.
std::size_t bit_parallel_distance(const std::array<std::uint64_t, 256>& matches,
                                  std::size_t pattern_size, std::string_view text) {
  if (pattern_size == 0) return text.size();
  const std::uint64_t last = std::uint64_t{1} << (pattern_size - 1);
  std::uint64_t plus = ~std::uint64_t{0};  // vertical differences +1
  std::uint64_t minus = 0;                 // vertical differences -1
  std::size_t score = pattern_size;
  for (char c : text) {
    std::uint64_t equal = matches[static_cast<unsigned char>(c)];
    std::uint64_t x_vertical = equal | minus;
    std::uint64_t x_horizontal = (((equal & plus) + plus) ^ plus) | equal;
    std::uint64_t h_plus = minus | ~(x_horizontal | plus);
    std::uint64_t h_minus = plus & x_horizontal;
    if (h_plus & last) {
      ++score;
    } else if (h_minus & last) {
      --score;
    }
    // The top row of the table grows by one a column: a +1 enters at the bottom bit.
    h_plus = (h_plus << 1) | 1;
    h_minus <<= 1;
    plus = h_minus | ~(x_vertical | h_plus);
    minus = h_plus & x_vertical;
  }
  return score;
}

}  // namespace

// What a search precomputes about the name it looks for.
struct NameIndex::Pattern {
  explicit Pattern(std::string_view lowered) : text(lowered), bytes(byte_set(lowered)) {
    if (lowered.size() > 64) return;
    matches.fill(0);
    for (std::size_t i = 0; i < lowered.size(); ++i) {
      matches[static_cast<unsigned char>(lowered[i])] |= std::uint64_t{1} << i;
    }
  }

  std::optional<std::size_t> distance(std::string_view other, std::vector<std::size_t>& above,
                                       std::vector<std::size_t>& row) const {
    if (text.size() <= 64) return bit_parallel_distance(matches, text.size(), other);
    return bounded_distance(text, other, max_distance, above, row);
  }

  std::string_view text;
  std::uint64_t bytes;
  std::array<std::uint64_t, 256> matches;  // set only for a text of at most 64 bytes
};

NameIndex::NameIndex(std::vector<std::string> names) : names_(std::move(names)) {
  lowered_.reserve(names_.size());
  byte_sets_.reserve(names_.size());
  for (std::size_t position = 0; position < names_.size(); ++position) {
    std::string lowered = unicode_lower(names_[position]);
    Bucket& bucket = buckets_[lowered.size()];
    auto member = static_cast<std::uint32_t>(bucket.members.size());
    bucket.members.push_back(static_cast<std::uint32_t>(position));
    for (auto [bigram, count] : bigram_counts(lowered)) {
      bucket.postings[bigram].push_back({member, count});
    }
    byte_sets_.push_back(byte_set(lowered));
    lowered_.push_back(std::move(lowered));
  }
}

std::vector<NameIndex::Near> NameIndex::near(std::string_view lowered) const {
  std::vector<Near> found;
  Pattern pattern(lowered);
  std::size_t shortest = lowered.size() > max_distance ? lowered.size() - max_distance : 0;
  for (std::size_t length = shortest; length <= lowered.size() + max_distance; ++length) {
    auto bucket = buckets_.find(length);
    if (bucket != buckets_.end()) search_bucket(bucket->second, length, pattern, found);
  }
  std::sort(found.begin(), found.end(),
            [](const Near& a, const Near& b) { return a.position < b.position; });
  return found;
}

// Counts the byte pairs each member shares with the pattern when that can rule members out,
// and measures each member once it has enough of them (or every member when the count rules
// nothing out); the byte sets come before the distance.
void NameIndex::search_bucket(const Bucket& bucket, std::size_t length, const Pattern& pattern,
                              std::vector<Near>& found) const {
  std::vector<std::size_t> above, row;
  auto measure = [&](std::uint32_t member) {
    std::size_t position = bucket.members[member];
    if (!byte_sets_allow(pattern.bytes, byte_sets_[position])) return;
    std::optional<std::size_t> distance = pattern.distance(lowered_[position], above, row);
    if (distance && *distance <= max_distance) found.push_back({position, *distance});
  };
  long needed = shared_bigrams_needed(pattern.text.size(), length);
  std::vector<std::pair<const std::vector<Bucket::Posting>*, std::uint32_t>> counted;
  if (needed > 0) {
    for (auto [bigram, count] : bigram_counts(pattern.text)) {
      auto postings = bucket.postings.find(bigram);
      if (postings == bucket.postings.end()) continue;
      // A pair that most members hold rules out few and costs the most to count: leave it
      // out and lower what is needed by as much as it could have added.
      if (postings->second.size() > bucket.members.size() / common_share) {
        needed -= count;
      } else {
        counted.emplace_back(&postings->second, count);
      }
    }
  }
  if (needed <= 0) {
    for (std::size_t member = 0; member < bucket.members.size(); ++member) {
      measure(static_cast<std::uint32_t>(member));
    }
    return;
  }
  std::vector<std::uint32_t> shared(bucket.members.size(), 0);
  for (auto [postings, count] : counted) {
    for (const Bucket::Posting& posting : *postings) {
      std::uint32_t& total = shared[posting.member];
      bool short_before = static_cast<long>(total) < needed;
      total += std::min(count, posting.count);
      if (short_before && static_cast<long>(total) >= needed) measure(posting.member);
    }
  }
}

}  // namespace qarvex
