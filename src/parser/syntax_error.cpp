#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_position.hpp"
#include "base/utf8.hpp"
#include "parser/parse.hpp"

namespace qarvex {
namespace {

// The line holding `offset`, without its line break characters.
std::string line_text_at(std::string_view text, std::size_t offset) {
  std::size_t last_feed = offset == 0 ? std::string_view::npos : text.rfind('\n', offset - 1);
  std::size_t begin = last_feed == std::string_view::npos ? 0 : last_feed + 1;
  std::size_t next_feed = text.find('\n', offset);
  std::size_t end = next_feed == std::string_view::npos ? text.size() : next_feed + 1;
  std::string line;
  for (char c : text.substr(begin, end - begin)) {
    if (c != '\r' && c != '\n') line.push_back(c);
  }
  return line;
}

// Blanks under the first `width` characters of the line, keeping tabs so the caret lines up.
std::string underline(std::string_view line, std::uint32_t width) {
  std::string result;
  std::uint32_t characters = 0;
  for (std::size_t i = 0; i < line.size() && characters < width; ++i) {
    if (is_utf8_continuation(line[i])) continue;
    result.push_back(line[i] == '\t' ? '\t' : ' ');
    ++characters;
  }
  result += "^---";
  return result;
}

// "a", "a or b", "a, b, or c".
std::string expected_list(const std::vector<Rule>& rules) {
  std::string list;
  for (std::size_t i = 0; i < rules.size(); ++i) {
    if (i > 0) {
      if (rules.size() == 2) {
        list += " or ";
      } else {
        list += i + 1 == rules.size() ? ", or " : ", ";
      }
    }
    list += rule_name(rules[i]);
  }
  return list;
}

std::string failure_message(const ParseFailure& failure) {
  if (failure.message) return *failure.message;
  if (failure.expected.empty()) return "unknown parsing error";
  return "expected " + expected_list(failure.expected);
}

}  // namespace

std::string format_syntax_error(std::string_view text, const ParseFailure& failure) {
  std::size_t position = std::min(failure.position, text.size());
  TextPosition at = text_position_crlf(text, position);
  std::string line_number = std::to_string(at.line);
  std::string margin(line_number.size(), ' ');
  std::string line = line_text_at(text, position);

  std::string message;
  message += margin + "--> " + line_number + ":" + std::to_string(at.column) + "\n";
  message += margin + " |\n";
  message += line_number + " | " + line + "\n";
  message += margin + " | " + underline(line, at.column - 1) + "\n";
  message += margin + " |\n";
  message += margin + " = " + failure_message(failure);
  return message;
}

ParseErrorInfo syntax_error_info(std::string_view text, const ParseFailure& failure) {
  return {format_syntax_error(text, failure), text_position_crlf(text, failure.position)};
}

}  // namespace qarvex
