// Reading keywords and operators from the text around a node's children. The grammar matches
// keywords such as DISTINCT, DESC, ALL and `+=` as plain literals, so they leave no node; they
// are found in the node's own text with the children's text left out. Comments are left out
// too: a comment that happens to say «distinct» or «desc» never selects a flag.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "parser/parse_tree.hpp"

namespace qarvex {

// `text` without its `//` and (closed) `/* */` comments, ASCII letters upper-cased. Meant for
// the literal text between children, which holds no strings or names.
std::string upper_without_comments(std::string_view text);

// The text before, between and after the children (n children give n + 1 gaps), each passed
// through upper_without_comments.
std::vector<std::string> keyword_gaps(ParseNode node);

// All gaps joined: what the node's own rule matched as literals, without comments.
std::string keyword_text_without_comments(ParseNode node);

// The node's text with the comments between its children removed; children stay verbatim.
std::string text_without_comments(ParseNode node);

// Whether `text` begins with the upper-case `word`, comparing ASCII letters without case.
bool starts_with_keyword(std::string_view text, std::string_view word);

bool contains(std::string_view text, std::string_view word);
std::string_view trim(std::string_view text);

}  // namespace qarvex
