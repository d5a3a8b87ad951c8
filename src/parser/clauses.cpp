#include "parser/clauses.hpp"

#include <array>
#include <variant>

#include "base/ascii.hpp"
#include "base/overloaded.hpp"

namespace qarvex {
namespace {

constexpr std::array clause_table{
#define QARVEX_CLAUSE_INFO(kind, name, updates, refused) ClauseInfo{name, updates, refused},
    QARVEX_CLAUSES(QARVEX_CLAUSE_INFO)
#undef QARVEX_CLAUSE_INFO
};

ClauseKind delete_kind(const DeleteClause& clause) {
  if (clause.detach) return ClauseKind::DetachDelete;
  return clause.nodetach ? ClauseKind::NodetachDelete : ClauseKind::Delete;
}

constexpr bool is_name_start(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool is_plain_name(std::string_view part) {
  if (part.empty() || !is_name_start(part[0])) return false;
  for (char c : part) {
    if (!is_name_start(c) && !is_ascii_digit(c)) return false;
  }
  return true;
}

// Reads the backticked part that starts at `at`, doubled backticks standing for one; `at`
// ends after the closing backtick.
std::string unquoted_part(std::string_view text, std::size_t& at) {
  std::string part;
  for (++at; at < text.size(); ++at) {
    if (text[at] != '`') {
      part += text[at];
    } else if (at + 1 < text.size() && text[at + 1] == '`') {
      part += '`';
      ++at;
    } else {
      ++at;
      break;
    }
  }
  return part;
}

void append_quoted(std::string& name, std::string_view part) {
  name += '`';
  for (char c : part) {
    if (c == '`') name += '`';
    name += c;
  }
  name += '`';
}

}  // namespace

const ClauseInfo& clause_info(ClauseKind kind) { return clause_table[static_cast<std::size_t>(kind)]; }

ClauseFact clause_fact(const ReadingClause& clause) {
  return std::visit(
      Overloaded{
          [](const MatchClause& match) {
            return ClauseFact{match.optional ? ClauseKind::OptionalMatch : ClauseKind::Match};
          },
          [](const UnwindClause&) { return ClauseFact{ClauseKind::Unwind}; },
          [](const ProcedureCall& call) { return ClauseFact{ClauseKind::CallProcedure, &call}; },
          [](const CallSubquery& call) {
            return ClauseFact{call.transactions ? ClauseKind::CallInTransactions
                                                : ClauseKind::CallSubquery};
          },
          [](const LoadCsvClause&) { return ClauseFact{ClauseKind::LoadCsv}; },
      },
      clause.node);
}

ClauseFact clause_fact(const UpdatingClause& clause) {
  return std::visit(Overloaded{
                        [](const CreateClause&) { return ClauseFact{ClauseKind::Create}; },
                        [](const MergeClause&) { return ClauseFact{ClauseKind::Merge}; },
                        [](const SetClause&) { return ClauseFact{ClauseKind::Set}; },
                        [](const RemoveClause&) { return ClauseFact{ClauseKind::Remove}; },
                        [](const DeleteClause& clause) { return ClauseFact{delete_kind(clause)}; },
                        [](const ForeachClause&) { return ClauseFact{ClauseKind::Foreach}; },
                    },
                    clause.node);
}

std::string procedure_name(const ProcedureCall& call) {
  std::string_view text = call.name;
  std::string name;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == '`') {
      std::string part = unquoted_part(text, at);
      if (is_plain_name(part)) {
        name += part;
      } else {
        append_quoted(name, part);
      }
    } else {
      std::size_t end = text.find('.', at);
      if (end == std::string_view::npos) end = text.size();
      name += text.substr(at, end - at);
      at = end;
    }
    if (at < text.size() && text[at] == '.') {
      name += '.';
      ++at;
    }
  }
  return name;
}

}  // namespace qarvex
