#include "parser/builder/node_text.hpp"

#include "base/ascii.hpp"

namespace qarvex {
namespace {

// Appends `text` to `out` without comments, folding case when asked. The comment forms are
// those of the grammar's trivia: a line comment runs to and includes the next line feed, and
// an unclosed block comment is no comment.
void append_without_comments(std::string_view text, bool upper, std::string& out) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, 2, "//") == 0) {
      std::size_t line_end = text.find('\n', i);
      i = line_end == std::string_view::npos ? text.size() : line_end + 1;
      continue;
    }
    if (text.compare(i, 2, "/*") == 0) {
      std::size_t close = text.find("*/", i + 2);
      if (close != std::string_view::npos) {
        i = close + 2;
        out += ' ';  // keeps the words on either side apart
        continue;
      }
    }
    out += upper ? ascii_upper(text[i]) : text[i];
    ++i;
  }
}

// Calls visit(gap) for the text before, between and after the children, then visit(child)
// interleaved, in source order.
template <typename Gap, typename Child>
void walk_gaps(ParseNode node, Gap&& gap, Child&& child_text) {
  std::string_view text = node.text();
  std::size_t base = node.start();
  std::size_t cursor = 0;
  for (ParseNode child : node.children()) {
    gap(text.substr(cursor, child.start() - base - cursor));
    child_text(child.text());
    cursor = child.end() - base;
  }
  gap(text.substr(cursor));
}

}  // namespace

std::string upper_without_comments(std::string_view text) {
  std::string out;
  append_without_comments(text, true, out);
  return out;
}

std::vector<std::string> keyword_gaps(ParseNode node) {
  std::vector<std::string> gaps;
  walk_gaps(
      node, [&](std::string_view gap) { gaps.push_back(upper_without_comments(gap)); },
      [](std::string_view) {});
  return gaps;
}

std::string keyword_text_without_comments(ParseNode node) {
  std::string out;
  walk_gaps(
      node, [&](std::string_view gap) { append_without_comments(gap, true, out); },
      [](std::string_view) {});
  return out;
}

std::string text_without_comments(ParseNode node) {
  std::string out;
  walk_gaps(
      node, [&](std::string_view gap) { append_without_comments(gap, false, out); },
      [&](std::string_view child) { out += child; });
  return out;
}

bool starts_with_keyword(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (ascii_upper(text[i]) != word[i]) return false;
  }
  return true;
}

bool contains(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_ascii_white_space(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_ascii_white_space(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace qarvex
