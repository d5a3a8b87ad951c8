// Parses arbitrary bytes in each dialect and checks what every parse must give: a tree whose node spans nest
// inside their parents, or a six-line syntax error. A tree is then built into a syntax tree,
// copied, compared with its copy and walked for the names it uses. Crashes, sanitizer reports, stalls and
// runaway memory are what the fuzzer looks for.
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "parser/builder/build.hpp"
#include "parser/parse.hpp"
#include "parser/query_info.hpp"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

void check_node(qarvex::ParseNode node, std::size_t text_size) {
  require(node.start() <= node.end() && node.end() <= text_size);
  std::size_t previous_end = node.start();
  for (qarvex::ParseNode child : node.children()) {
    require(child.start() >= previous_end && child.end() <= node.end());
    previous_end = child.end();
    check_node(child, text_size);
  }
  std::string keywords = qarvex::keyword_text(node);
  require(keywords.size() <= node.text().size());
  require(qarvex::upper_text(node).size() == node.text().size());
}

void require_sorted_unique(const std::vector<std::string>& names) {
  for (std::size_t i = 1; i < names.size(); ++i) require(names[i - 1] < names[i]);
}

void check_syntax_tree(qarvex::ParseNode root, qarvex::Dialect dialect) {
  qarvex::StatementResult built = qarvex::build_query(root, dialect);
  // The builder's guards are for trees the grammar does not produce: on a parsed text none
  // may fire.
  if (const auto* error = std::get_if<qarvex::ModuleError>(&built)) {
    std::fprintf(stderr, "build failed: %s\n", error->message.c_str());
    std::abort();
  }
  const auto* query = std::get_if<qarvex::Query>(&built);
  qarvex::Query copy = *query;
  require(copy == *query);
  qarvex::QueryNames names = qarvex::collect_query_info(copy);
  require_sorted_unique(names.labels);
  require_sorted_unique(names.rel_types);
  require_sorted_unique(names.properties);
}

void check_parse(std::string_view text, qarvex::Dialect dialect) {
  qarvex::ParseOutcome outcome = qarvex::parse(qarvex::Rule::cypher, text, dialect);
  if (const auto* tree = std::get_if<qarvex::ParseTree>(&outcome)) {
    std::optional<qarvex::ParseNode> root = tree->first_root();
    require(root && root->rule() == qarvex::Rule::cypher);
    require(root->start() == 0 && root->end() == text.size());
    require(root->child_count() == 2);
    check_node(*root, text.size());
    check_syntax_tree(*root, dialect);
    return;
  }
  const auto& failure = std::get<qarvex::ParseFailure>(outcome);
  require(failure.position <= text.size());
  qarvex::ParseErrorInfo info = qarvex::syntax_error_info(text, failure);
  std::size_t line_feeds = 0;
  for (char c : info.message) line_feeds += c == '\n';
  require(line_feeds == 5 && info.position && info.position->line >= 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  check_parse(text, qarvex::Dialect::core);
  check_parse(text, qarvex::Dialect::neo4j);
  return 0;
}
