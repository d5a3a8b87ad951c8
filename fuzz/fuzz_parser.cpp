// Parses arbitrary bytes and checks what every parse must give: a tree whose node spans nest
// inside their parents, or a six-line syntax error. Crashes, sanitizer reports, stalls and
// runaway memory are what the fuzzer looks for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "parser/parse.hpp"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  qarvex::ParseOutcome outcome = qarvex::parse(qarvex::Rule::cypher, text);
  if (const auto* tree = std::get_if<qarvex::ParseTree>(&outcome)) {
    std::optional<qarvex::ParseNode> root = tree->first_root();
    require(root && root->rule() == qarvex::Rule::cypher);
    require(root->start() == 0 && root->end() == size);
    require(root->child_count() == 2);
    check_node(*root, size);
    return 0;
  }
  const auto& failure = std::get<qarvex::ParseFailure>(outcome);
  require(failure.position <= size);
  qarvex::ParseErrorInfo info = qarvex::syntax_error_info(text, failure);
  std::size_t line_feeds = 0;
  for (char c : info.message) line_feeds += c == '\n';
  require(line_feeds == 5 && info.position && info.position->line >= 1);
  return 0;
}
