#include "validator/name_sites.hpp"

#include "validator/query_lexer.hpp"

namespace qarvex {
namespace {

// What an open bracket encloses decides what a ":" inside it means.
enum class Bracket { Paren, Square, Map, Block };

class SiteFinder {
 public:
  SiteFinder(std::string_view text) : text_(text), tokens_(scan_tokens(text)) {}

  std::vector<NameSite> run() {
    for (i_ = 0; i_ < tokens_.size(); ++i_) {
      if (is(i_, TokenKind::Punctuation)) visit_punctuation();
    }
    return std::move(sites_);
  }

 private:
  bool is(std::size_t at, TokenKind kind) const {
    return at < tokens_.size() && tokens_[at].kind == kind;
  }
  bool is_symbol(std::size_t at, std::string_view symbol) const {
    return is(at, TokenKind::Punctuation) && spelling(at) == symbol;
  }
  std::string_view spelling(std::size_t at) const {
    return text_.substr(tokens_[at].begin, tokens_[at].end - tokens_[at].begin);
  }
  bool in(Bracket bracket) const { return !open_.empty() && open_.back() == bracket; }
  // A name can qualify twice only in text that does not parse ("{n.k: 1}": a key after a dot
  // and before a map colon); the first reading is kept so that sites never overlap.
  void record(FixKind kind, std::size_t at) {
    if (!sites_.empty() && sites_.back().begin == tokens_[at].begin) return;
    sites_.push_back({kind, tokens_[at].begin, tokens_[at].end});
  }

  void visit_punctuation() {
    std::string_view symbol = spelling(i_);
    if (symbol == "(") {
      open_.push_back(Bracket::Paren);
    } else if (symbol == "[") {
      open_.push_back(Bracket::Square);
    } else if (symbol == "{") {
      open_.push_back(opens_map(i_) ? Bracket::Map : Bracket::Block);
    } else if (symbol == ")" || symbol == "]" || symbol == "}") {
      if (!open_.empty()) open_.pop_back();
    } else if (symbol == ":") {
      visit_colon();
    } else if (symbol == ".") {
      visit_dot();
    }
  }

  // A map literal is empty or starts with "key:"; a subquery block never does.
  bool opens_map(std::size_t brace) const {
    return is_symbol(brace + 1, "}") || (is(brace + 1, TokenKind::Name) && is_symbol(brace + 2, ":"));
  }

  void visit_colon() {
    if (in(Bracket::Map)) {
      if (i_ > 0 && is(i_ - 1, TokenKind::Name)) record(FixKind::PropertyKey, i_ - 1);
      return;
    }
    if (!is(i_ + 1, TokenKind::Name)) return;
    if (!in(Bracket::Square)) {
      record(FixKind::NodeLabel, ++i_);
      return;
    }
    record(FixKind::RelationshipType, ++i_);
    // "[:A|B]": the alternatives after "|" may omit their colon.
    while (is_symbol(i_ + 1, "|") && is(i_ + 2, TokenKind::Name)) {
      i_ += 2;
      record(FixKind::RelationshipType, i_);
    }
  }

  void visit_dot() {
    if (!is(i_ + 1, TokenKind::Name)) return;
    if (std::size_t after = end_of_dotted_name(i_); after != i_) {
      if (is_symbol(after, "(")) {  // a namespaced function or procedure name
        i_ = after - 1;
        return;
      }
    }
    record(FixKind::PropertyKey, ++i_);
  }

  // For a "." written tight between two names, the index just past the whole dotted run
  // (a.b.c); otherwise `dot` itself.
  std::size_t end_of_dotted_name(std::size_t dot) const {
    if (dot == 0 || !is(dot - 1, TokenKind::Name)) return dot;
    std::size_t at = dot;
    while (is_symbol(at, ".") && !tokens_[at].after_trivia && is(at + 1, TokenKind::Name) &&
           !tokens_[at + 1].after_trivia) {
      at += 2;
    }
    return at;
  }

  std::string_view text_;
  std::vector<Token> tokens_;
  std::vector<Bracket> open_;
  std::vector<NameSite> sites_;
  std::size_t i_ = 0;
};

}  // namespace

std::vector<NameSite> find_name_sites(std::string_view text) { return SiteFinder(text).run(); }

}  // namespace qarvex
