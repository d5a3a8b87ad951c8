// The declared names a "did you mean" search looks through, indexed so that finding the few
// within a small edit distance of a name does not mean comparing it with every one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qarvex {

class NameIndex {
 public:
  // How far a name may be from the one looked for: the search's own limit.
  static constexpr std::size_t max_distance = 3;

  struct Near {
    std::size_t position;  // in names()
    std::size_t distance;  // between the lower-cased forms
  };

  NameIndex() = default;
  explicit NameIndex(std::vector<std::string> names);

  // The names in the order given, which decides ties.
  const std::vector<std::string>& names() const { return names_; }

  // Every name whose lower-cased form is within max_distance of `lowered`, by position.
  std::vector<Near> near(std::string_view lowered) const;

 private:
  // The names of one lower-cased length. Each byte pair (bigram) lists the names holding it,
  // with how often, so that the names sharing enough of them can be counted without looking
  // at the others.
  struct Bucket {
    struct Posting {
      std::uint32_t member;  // in members
      std::uint32_t count;
    };
    std::vector<std::uint32_t> members;  // positions, ascending
    std::unordered_map<std::uint16_t, std::vector<Posting>> postings;
  };

  struct Pattern;

  void search_bucket(const Bucket& bucket, std::size_t length, const Pattern& pattern,
                     std::vector<Near>& found) const;

  std::vector<std::string> names_;
  std::vector<std::string> lowered_;
  std::vector<std::uint64_t> byte_sets_;  // per position: which bytes the lowered name holds
  std::unordered_map<std::size_t, Bucket> buckets_;  // by lower-cased length in bytes
};

}  // namespace qarvex
