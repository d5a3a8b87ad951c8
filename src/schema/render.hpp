// The schema as text for the prompt of a language model: a plain listing, Markdown tables and
// inline Cypher patterns. Labels, then types, in ascending byte order, a type with several
// endpoint pairs once per pair, in order, with that pair's keys; property keys sorted and joined
// by ", "; names inserted unchanged, without quoting.
#pragma once

#include <string>

#include "schema/schema.hpp"

namespace qarvex {

std::string render_prompt(const Schema& schema);
std::string render_markdown(const Schema& schema);
std::string render_cypher_context(const Schema& schema);

}  // namespace qarvex
