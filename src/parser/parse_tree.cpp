#include "parser/parse_tree.hpp"

#include "base/ascii.hpp"

namespace qarvex {

const NodeRecord& ParseNode::record() const { return tree_->records()[index_]; }

std::string_view ParseNode::text() const {
  const NodeRecord& node = record();
  return tree_->text().substr(node.start, node.end - node.start);
}

ChildRange ParseNode::children() const {
  return ChildRange(tree_, index_ + 1, record().subtree_end);
}

std::size_t ParseNode::child_count() const {
  std::size_t count = 0;
  for ([[maybe_unused]] ParseNode child : children()) ++count;
  return count;
}

std::optional<ParseNode> ParseNode::first_child() const { return child(0); }

std::optional<ParseNode> ParseNode::child(std::size_t index) const {
  for (ParseNode node : children()) {
    if (index-- == 0) return node;
  }
  return std::nullopt;
}

ChildRange::iterator& ChildRange::iterator::operator++() {
  index_ = tree_->records()[index_].subtree_end;
  return *this;
}

std::optional<ParseNode> ParseTree::first_root() const {
  if (nodes_.empty()) return std::nullopt;
  return ParseNode(this, 0);
}

std::string upper_text(ParseNode node) {
  std::string text(node.text());
  for (char& c : text) c = ascii_upper(c);
  return text;
}

std::string keyword_text(ParseNode node) {
  std::string_view text = node.text();
  std::size_t base = node.start();
  std::string result;
  std::size_t cursor = 0;
  for (ParseNode child : node.children()) {
    result.append(text.substr(cursor, child.start() - base - cursor));
    cursor = child.end() - base;
  }
  result.append(text.substr(cursor));
  for (char& c : result) c = ascii_upper(c);
  return result;
}

std::string_view trimmed_text(ParseNode node) {
  std::string_view text = node.text();
  while (!text.empty() && is_ascii_white_space(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_ascii_white_space(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace qarvex
