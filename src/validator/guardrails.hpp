// What a validator refuses beyond the schema, for queries that must be safe to run: in
// read-only mode the clauses that change the graph (and LOAD CSV), and with an allow-list every
// procedure it does not hold.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qarvex {

// Names are matched exactly, case included, against the full names procedure_name gives: an
// entry "db.labels" allows that procedure, an entry "db.*" every procedure in the namespace db
// and below it ("db.labels", "db.index.fulltext.queryNodes"), but not "db" itself.
class ProcedureAllowList {
 public:
  // The entries must be usable (allow_list_entry_problem gives none for each).
  explicit ProcedureAllowList(std::vector<std::string> entries);

  bool allows(std::string_view name) const;
  const std::vector<std::string>& entries() const { return entries_; }  // sorted, each once

  bool operator==(const ProcedureAllowList&) const = default;

 private:
  std::vector<std::string> entries_;
};

// Why `entry` cannot stand in an allow-list, or none when it can: an empty name, or a '*' that
// is not the end of a namespace pattern such as "db.*".
std::optional<std::string_view> allow_list_entry_problem(std::string_view entry);

struct Guardrails {
  bool read_only = false;
  std::optional<ProcedureAllowList> allowed_procedures;  // none: every procedure is allowed

  bool any() const { return read_only || allowed_procedures.has_value(); }
  bool operator==(const Guardrails&) const = default;
};

// The defaults, which refuse nothing.
const Guardrails& no_guardrails();

}  // namespace qarvex
