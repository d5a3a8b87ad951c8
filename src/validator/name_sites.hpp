// The places in a query text where a node label, a relationship type or a property key is
// written, found from the tokens alone.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "validator/diagnostics.hpp"

namespace qarvex {

struct NameSite {
  FixKind kind;       // NodeLabel, RelationshipType or PropertyKey
  std::size_t begin;  // the name's bytes in the text, backticks included
  std::size_t end;
};

// Labels and types are the names after a ":" outside a map literal (types inside "[...]",
// also after "|" in "[:A|B]"); property keys are the names after a "." that is not part of a
// dotted function or procedure name, and the keys of map literals. In source order.
std::vector<NameSite> find_name_sites(std::string_view text);

}  // namespace qarvex
