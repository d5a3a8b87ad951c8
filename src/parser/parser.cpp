#include "parser/parser.hpp"

#include <optional>
#include <utility>

#include "parser/builder/build.hpp"

namespace qarvex {

StatementResult parse_statement(std::string_view text, Dialect dialect) {
  ParseOutcome outcome = parse(Rule::cypher, text, dialect);
  if (const auto* failure = std::get_if<ParseFailure>(&outcome)) {
    return ModuleError{ModuleErrorKind::Parse, format_syntax_error(text, *failure)};
  }
  std::optional<ParseNode> root = std::get<ParseTree>(outcome).first_root();
  if (!root) return ModuleError{ModuleErrorKind::Parse, "No parse result"};
  return build_query(*root, dialect);
}

ValidationParse parse_for_validation(std::string_view text, Dialect dialect) {
  ParseOutcome outcome = parse(Rule::cypher, text, dialect);
  if (const auto* failure = std::get_if<ParseFailure>(&outcome)) {
    return syntax_error_info(text, *failure);
  }
  const ParseTree& tree = std::get<ParseTree>(outcome);
  std::optional<ParseNode> root = tree.first_root();
  if (!root) return ParseErrorInfo{"No parse result", std::nullopt};
  StatementResult built = build_query(*root, dialect);
  if (auto* error = std::get_if<ModuleError>(&built)) {
    return ParseErrorInfo{error->text(), std::nullopt};
  }
  return ParsedQuery{std::move(std::get<Query>(built)), name_sites(tree)};
}

}  // namespace qarvex
