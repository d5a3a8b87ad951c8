// The parse tree of one query and the text helpers that read it.
//
// How to walk it: `parse` (parser/parse.hpp) returns a `ParseTree`; `tree.roots()` lists the
// top-level nodes (for the start rule `cypher`, exactly one: `cypher`, whose children are
// `statement` and `EOI`). A `ParseNode` is a small handle (tree pointer and index) that is
// cheap to copy: `node.rule()`, `node.text()` (the exact source slice, which for a rule ending
// in an optional or repeated element may end in white space or comments), `node.children()`
// (iterable, in source order), `node.first_child()`, `node.child_count()`.
// `keyword_text(node)` is the upper-cased text of the node without the text of its children,
// i.e. what the node's own rule matched as literals ("RETURN DISTINCT", "+=", "ON MATCH").
//
// The nodes are stored flat in pre-order: a node's children follow it, and its record keeps
// the index just past its last descendant, so moving to the next sibling is one lookup. The
// tree refers to the query text; the text must outlive the tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "parser/peg/outcome.hpp"
#include "parser/rules.hpp"

namespace qarvex {

// One node as stored, as the engine records it; its rule id is a Cypher `Rule`.
using NodeRecord = peg::NodeRecord;

class ParseTree;
class ChildRange;

class ParseNode {
 public:
  ParseNode(const ParseTree* tree, std::uint32_t index) : tree_(tree), index_(index) {}

  Rule rule() const { return record().rule.as<Rule>(); }
  std::string_view rule_name() const { return qarvex::rule_name(rule()); }
  std::size_t start() const { return record().start; }
  std::size_t end() const { return record().end; }
  std::string_view text() const;
  ChildRange children() const;
  std::size_t child_count() const;
  std::optional<ParseNode> first_child() const;
  // The index-th child (0-based), if there are that many.
  std::optional<ParseNode> child(std::size_t index) const;

  std::uint32_t index() const { return index_; }
  const NodeRecord& record() const;
  bool operator==(const ParseNode& other) const = default;

 private:
  const ParseTree* tree_;
  std::uint32_t index_;
};

// The children of one node (or the roots of a tree), iterated in source order.
class ChildRange {
 public:
  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = ParseNode;
    using difference_type = std::ptrdiff_t;
    iterator() = default;
    iterator(const ParseTree* tree, std::uint32_t index) : tree_(tree), index_(index) {}
    ParseNode operator*() const { return ParseNode(tree_, index_); }
    iterator& operator++();
    iterator operator++(int) {
      iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const iterator& other) const { return index_ == other.index_; }

   private:
    const ParseTree* tree_ = nullptr;
    std::uint32_t index_ = 0;
  };

  ChildRange(const ParseTree* tree, std::uint32_t first, std::uint32_t last)
      : tree_(tree), first_(first), last_(last) {}
  iterator begin() const { return iterator(tree_, first_); }
  iterator end() const { return iterator(tree_, last_); }
  bool empty() const { return first_ == last_; }

 private:
  const ParseTree* tree_;
  std::uint32_t first_;
  std::uint32_t last_;
};

class ParseTree {
 public:
  ParseTree(std::string_view text, std::vector<NodeRecord> nodes)
      : text_(text), nodes_(std::move(nodes)) {}
  // Handles point back at their tree: moving a tree leaves earlier handles dangling, so take
  // handles only once the tree is where it stays (e.g. inside the ParseOutcome).
  ParseTree(ParseTree&&) = default;
  ParseTree& operator=(ParseTree&&) = default;
  ParseTree(const ParseTree&) = delete;
  ParseTree& operator=(const ParseTree&) = delete;

  std::string_view text() const { return text_; }
  ChildRange roots() const {
    return ChildRange(this, 0, static_cast<std::uint32_t>(nodes_.size()));
  }
  std::optional<ParseNode> first_root() const;
  const std::vector<NodeRecord>& records() const { return nodes_; }

 private:
  std::string_view text_;
  std::vector<NodeRecord> nodes_;
};

// The node's source slice, unchanged.
inline std::string_view node_text(ParseNode node) { return node.text(); }

// The node's text with ASCII letters upper-cased. Keywords are ASCII, so every comparison the
// builder makes on it is exact; other characters are kept as they are.
std::string upper_text(ParseNode node);

// The upper text with the text of every child node left out: only what the node's own rule
// matched as literals remains (keywords, operators, punctuation, and trivia between them).
std::string keyword_text(ParseNode node);

// The node's text without leading and trailing white space.
std::string_view trimmed_text(ParseNode node);

}  // namespace qarvex
