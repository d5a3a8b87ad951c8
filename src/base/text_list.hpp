// Many texts kept in one buffer, in order. Adding one copies its bytes to the end, and
// releasing the list frees two blocks however many texts it holds, so that a batch of
// millions of queries is copied and let go of quickly.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qarvex {

class TextList {
 public:
  TextList() = default;
  explicit TextList(std::span<const std::string> texts) {
    reserve(texts.size());
    for (const std::string& text : texts) emplace_back(text);
  }

  std::size_t max_size() const { return ends_.max_size(); }
  void reserve(std::size_t texts) { ends_.reserve(texts); }
  void emplace_back(std::string_view text) {
    bytes_.append(text);
    ends_.push_back(bytes_.size());
  }

  std::size_t size() const { return ends_.size(); }
  bool empty() const { return ends_.empty(); }
  std::string_view operator[](std::size_t index) const {
    std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(bytes_).substr(begin, ends_[index] - begin);
  }

 private:
  std::string bytes_;
  std::vector<std::size_t> ends_;  // where each text ends in bytes_
};

}  // namespace qarvex
