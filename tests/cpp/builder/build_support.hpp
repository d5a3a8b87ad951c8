// Helpers for the builder tests: build a query from text, and pick parts of the tree.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "parser/ast.hpp"
#include "parser/parser.hpp"

namespace qarvex::testing_support {

inline Query build_ok(const std::string& text) {
  StatementResult result = parse_statement(text);
  if (const auto* error = std::get_if<ModuleError>(&result)) {
    ADD_FAILURE() << "query: " << text << "\nerror: " << error->message;
    return {};
  }
  return std::move(std::get<Query>(result));
}

inline const SinglePartQuery& single_part(const Query& query) {
  static const SinglePartQuery kEmpty;
  const auto* regular = std::get_if<RegularQuery>(&query.node);
  if (regular == nullptr) return kEmpty;
  const auto* single = std::get_if<SinglePartQuery>(&regular->first.node);
  return single ? *single : kEmpty;
}

// The tree of the first RETURN item of a single-part query, printed.
inline std::string returned(const std::string& text) {
  Query query = build_ok(text);
  const SinglePartQuery& part = single_part(query);
  if (!part.return_clause || part.return_clause->items.empty()) return "<no return item>";
  return debug_string(part.return_clause->items.front().expression);
}

}  // namespace qarvex::testing_support
