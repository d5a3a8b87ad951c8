// Parsing a query text by the Cypher grammar, and the syntax-error report of a failed parse.
#pragma once

#include "base/text_position.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "parser/dialect.hpp"
#include "parser/parse_tree.hpp"
#include "parser/peg/outcome.hpp"
#include "parser/rules.hpp"

namespace qarvex {

// Why a parse failed: the furthest position at which a rule failed and the rules expected
// there (ascending id, each once), or a fixed message when a work limit stopped the parse.
struct ParseFailure {
  std::size_t position = 0;
  std::vector<Rule> expected;
  std::optional<std::string> message;
};

// Bounds on the work of one parse: the depth of the query's nesting, the rule calls of all
// backtracking re-parses, and the nodes recorded at once. Reaching one fails the parse with
// kLimitMessage.
using ParseLimits = peg::Limits;
using peg::kLimitMessage;

// Limits that every realistic query stays far below, scaled to the length of the text.
ParseLimits default_parse_limits(std::size_t text_size);

using ParseOutcome = std::variant<ParseTree, ParseFailure>;

// Parses `text` from `start` by the grammar of `dialect` (the query entries use Rule::cypher).
// The tree refers to `text`.
ParseOutcome parse(Rule start, std::string_view text, Dialect dialect = Dialect::core);
ParseOutcome parse(Rule start, std::string_view text, const ParseLimits& limits,
                   Dialect dialect = Dialect::core);

// The six-line syntax error message of a failure, without a final line feed.
std::string format_syntax_error(std::string_view text, const ParseFailure& failure);

// The syntax error record handed to the rest of the system.
struct ParseErrorInfo {
  std::string message;
  std::optional<TextPosition> position;  // present exactly for a grammar failure
};

// A grammar failure as a record: the formatted message and the failure's line and column.
ParseErrorInfo syntax_error_info(std::string_view text, const ParseFailure& failure);

}  // namespace qarvex
