// Small readers of parse results shared by the parser tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "parser/parse.hpp"

namespace qarvex::testing_support {

inline const ParseTree* tree_of(const ParseOutcome& outcome) {
  return std::get_if<ParseTree>(&outcome);
}

inline const ParseFailure* failure_of(const ParseOutcome& outcome) {
  return std::get_if<ParseFailure>(&outcome);
}

// Every node of `rule`, in pre-order.
inline std::vector<ParseNode> nodes_of(const ParseTree& tree, Rule rule) {
  std::vector<ParseNode> found;
  const auto& records = tree.records();
  for (std::uint32_t i = 0; i < records.size(); ++i) {
    if (records[i].rule == rule) found.emplace_back(&tree, i);
  }
  return found;
}

inline std::vector<std::string> texts_of(const ParseTree& tree, Rule rule) {
  std::vector<std::string> texts;
  for (ParseNode node : nodes_of(tree, rule)) texts.emplace_back(node.text());
  return texts;
}

inline std::vector<std::string> child_rule_names(ParseNode node) {
  std::vector<std::string> names;
  for (ParseNode child : node.children()) names.emplace_back(child.rule_name());
  return names;
}

// The whole tree as nested rule names, e.g. "cypher(statement(...) EOI)".
inline std::string shape(ParseNode node) {
  std::string out(node.rule_name());
  if (node.child_count() == 0) return out;
  out += "(";
  bool first = true;
  for (ParseNode child : node.children()) {
    if (!first) out += " ";
    out += shape(child);
    first = false;
  }
  return out + ")";
}

inline std::string failure_text(std::string_view query, const ParseOutcome& outcome) {
  const ParseFailure* failure = failure_of(outcome);
  return failure ? format_syntax_error(query, *failure) : std::string("(parsed)");
}

}  // namespace qarvex::testing_support
