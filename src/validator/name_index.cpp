#include "validator/name_index.hpp"

#include <algorithm>
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

}  // namespace

NameIndex::NameIndex(std::vector<std::string> names) : names_(std::move(names)) {
  lowered_.reserve(names_.size());
  for (std::size_t position = 0; position < names_.size(); ++position) {
    std::string lowered = unicode_lower(names_[position]);
    Bucket& bucket = buckets_[lowered.size()];
    auto member = static_cast<std::uint32_t>(bucket.members.size());
    bucket.members.push_back(static_cast<std::uint32_t>(position));
    for (auto [bigram, count] : bigram_counts(lowered)) {
      bucket.postings[bigram].push_back({member, count});
    }
    lowered_.push_back(std::move(lowered));
  }
}

std::vector<NameIndex::Near> NameIndex::near(std::string_view lowered) const {
  std::vector<Near> found;
  std::size_t shortest = lowered.size() > max_distance ? lowered.size() - max_distance : 0;
  for (std::size_t length = shortest; length <= lowered.size() + max_distance; ++length) {
    auto bucket = buckets_.find(length);
    if (bucket != buckets_.end()) search_bucket(bucket->second, length, lowered, found);
  }
  std::sort(found.begin(), found.end(),
            [](const Near& a, const Near& b) { return a.position < b.position; });
  return found;
}

// Counts the byte pairs each member shares with `lowered` when that can rule members out,
// then measures the distance of those that remain.
void NameIndex::search_bucket(const Bucket& bucket, std::size_t length, std::string_view lowered,
                              std::vector<Near>& found) const {
  long needed = shared_bigrams_needed(lowered.size(), length);
  std::vector<std::uint32_t> shared;
  if (needed > 0) {
    shared.assign(bucket.members.size(), 0);
    for (auto [bigram, count] : bigram_counts(lowered)) {
      auto postings = bucket.postings.find(bigram);
      if (postings == bucket.postings.end()) continue;
      for (const Bucket::Posting& posting : postings->second) {
        shared[posting.member] += std::min(count, posting.count);
      }
    }
  }
  std::vector<std::size_t> above, row;
  for (std::size_t member = 0; member < bucket.members.size(); ++member) {
    if (needed > 0 && static_cast<long>(shared[member]) < needed) continue;
    std::size_t position = bucket.members[member];
    std::optional<std::size_t> distance =
        bounded_distance(lowered, lowered_[position], max_distance, above, row);
    if (distance && *distance <= max_distance) found.push_back({position, *distance});
  }
}

}  // namespace qarvex
