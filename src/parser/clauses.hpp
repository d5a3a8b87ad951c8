// The kinds of clause a query is made of, in one table: each kind's name as written in upper
// case, whether it changes the graph, and whether read-only mode refuses it.
#pragma once

#include <string>
#include <string_view>

#include "parser/ast.hpp"

namespace qarvex {

// X(kind, name, updates, refused_when_read_only). A name of several words is written with
// single spaces, however the query spaced them or put comments between them. LOAD CSV is
// refused although it changes nothing: it reads files and URLs.
#define QARVEX_CLAUSES(X)                                           \
  X(Match, "MATCH", false, false)                                   \
  X(OptionalMatch, "OPTIONAL MATCH", false, false)                  \
  X(Unwind, "UNWIND", false, false)                                 \
  X(CallProcedure, "CALL", false, false)                            \
  X(CallSubquery, "CALL", false, false)                             \
  X(CallInTransactions, "CALL { ... } IN TRANSACTIONS", true, true) \
  X(LoadCsv, "LOAD CSV", false, true)                               \
  X(Create, "CREATE", true, true)                                   \
  X(Merge, "MERGE", true, true)                                     \
  X(Set, "SET", true, true)                                         \
  X(Remove, "REMOVE", true, true)                                   \
  X(Delete, "DELETE", true, true)                                   \
  X(DetachDelete, "DETACH DELETE", true, true)                      \
  X(NodetachDelete, "NODETACH DELETE", true, true)                  \
  X(Foreach, "FOREACH", true, true)

enum class ClauseKind {
#define QARVEX_CLAUSE_KIND(kind, name, updates, refused) kind,
  QARVEX_CLAUSES(QARVEX_CLAUSE_KIND)
#undef QARVEX_CLAUSE_KIND
};

struct ClauseInfo {
  std::string_view name;
  bool updates;
  bool refused_when_read_only;
};

const ClauseInfo& clause_info(ClauseKind kind);

// One clause of a query: its kind, and the call itself when it calls a procedure.
struct ClauseFact {
  ClauseKind kind;
  const ProcedureCall* call = nullptr;
};

ClauseFact clause_fact(const ReadingClause& clause);
ClauseFact clause_fact(const UpdatingClause& clause);

// A procedure's full dotted name as the database resolves it: each part as written, except
// that backticks are kept only around a part that is not a plain ASCII name (so «`db`.labels»
// is "db.labels" and «`my.proc`» stays "`my.proc`").
std::string procedure_name(const ProcedureCall& call);

}  // namespace qarvex
