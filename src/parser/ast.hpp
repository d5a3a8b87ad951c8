// The query syntax tree: plain owned values, built once by the builder and only read after.
//
// Every record and variant owns its children exclusively; nothing is shared or cyclic, and no
// node remembers where in the text it came from. Names are kept exactly as written (case and
// backticks included); keywords leave only the flags and variants they select.
//
// Ownership of expressions: inside an `Expression` every child expression is a `Box`
// (an optional child is a box that may be empty); clauses hold their expressions by value.
// Copying and releasing a tree never recurses along expression chains, so a tree as deep as
// `1 + 1 + ... + 1` with a hundred thousand operands is copied and dropped safely.
//
// Each record lists its fields once (QARVEX_AST_FIELDS); the generic copy, release, equality
// and debug printing walk those lists, so adding a field to a record updates all of them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <variant>
#include <vector>

#include "parser/ast_box.hpp"

namespace qarvex {

#define QARVEX_AST_FIELDS(Name, ...)                        \
  static constexpr std::string_view kind_name = #Name;      \
  auto fields() { return std::tie(__VA_ARGS__); }           \
  auto fields() const { return std::tie(__VA_ARGS__); }

// ---- Patterns ------------------------------------------------------------------------------

struct PropertyEntry {
  std::string key;
  Box<Expression> value;
  QARVEX_AST_FIELDS(PropertyEntry, key, value)
};

// Property key to expression, keys unique. Entries stay in the order in which each key was
// first written, while a key written again takes the later value, so every enumeration (and
// every diagnostic that follows one) is the same on every run.
struct PropertyMap {
  std::vector<PropertyEntry> entries;
  QARVEX_AST_FIELDS(PropertyMap, entries)

  // The value of `key`, or null.
  const Expression* find(std::string_view key) const;
  std::size_t size() const { return entries.size(); }
  bool empty() const { return entries.empty(); }
};

// A variable-length range: «*» has neither bound, «*3» both 3, «*2..» only min, «*2..5» both.
struct LengthRange {
  std::optional<std::int64_t> min;
  std::optional<std::int64_t> max;
  QARVEX_AST_FIELDS(LengthRange, min, max)
};

enum class Direction { Right, Left, Both };

struct Properties {
  struct Map {
    PropertyMap map;
    QARVEX_AST_FIELDS(Map, map)
  };
  // The parameter name without its `$`.
  struct Parameter {
    std::string name;
    QARVEX_AST_FIELDS(Parameter, name)
  };
  std::variant<Map, Parameter> node;
  QARVEX_AST_FIELDS(Properties, node)
};

// A node's labels. Neo4j writes them as an expression («:A|B», «:A&!B», «:%», «:$(x)»); only
// the plain names of its top-level conjunction pin a label that every match carries.
struct NodePattern {
  std::optional<Properties> properties;
  std::vector<std::string> labels;  // the pinned labels, in source order, duplicates kept
  std::optional<std::string> variable;
  // Neo4j: the names a label expression writes under a disjunction or negation (in source
  // order), the dynamic labels «$(expr)», and the pattern's own WHERE (may be empty).
  std::vector<std::string> other_labels;
  std::vector<Box<Expression>> dynamic_labels;
  Box<Expression> where_clause;
  QARVEX_AST_FIELDS(NodePattern, other_labels, dynamic_labels, where_clause, properties, labels,
                    variable)
};

struct RelationshipPattern {
  std::optional<Properties> properties;
  std::optional<LengthRange> range;  // present exactly when a `*` was written
  std::vector<std::string> types;    // the alternatives of «:A|B»
  std::optional<std::string> variable;
  Direction direction = Direction::Both;
  // Neo4j: the names of a type expression that is more than a choice of plain types («:!R»,
  // «:R&S»), the dynamic types «$(expr)», the pattern's own WHERE (may be empty), and the
  // quantifier of a quantified relationship «-[:R]->{1,3}».
  std::vector<std::string> other_types;
  std::vector<Box<Expression>> dynamic_types;
  Box<Expression> where_clause;
  std::optional<LengthRange> quantifier;
  QARVEX_AST_FIELDS(RelationshipPattern, other_types, dynamic_types, where_clause, quantifier,
                    properties, range, types, variable, direction)
};

// A quantified path pattern (Neo4j): «((a)-[:R]->(b) WHERE ...){1,3}». Its variables are
// single nodes and relationships inside it and lists (group variables) outside it. The bounds
// are as written: «+» is {1, -}, «*» {0, -}, «{n}» {n, n}.
struct QuantifiedPath {
  Box<PatternElement> element;
  Box<Expression> where_clause;
  LengthRange quantifier;
  QARVEX_AST_FIELDS(QuantifiedPath, element, where_clause, quantifier)
};

// One step along a path: a relationship and the node it leads to, or (Neo4j) a quantified
// path pattern and the node after it. A quantified path pattern with no node written beside
// it meets an anonymous node «()», which matches alike.
struct PatternStep {
  RelationshipPattern relationship;  // empty when the step is a group
  NodePattern node;  // the node the relationship leads to, in writing order
  std::optional<QuantifiedPath> group;
  QARVEX_AST_FIELDS(PatternStep, group, relationship, node)
};

struct PatternElement {
  NodePattern start;
  std::vector<PatternStep> chain;
  QARVEX_AST_FIELDS(PatternElement, start, chain)
};

// A path selector (Neo4j): «ANY», «ANY k», «ALL», «ANY SHORTEST», «ALL SHORTEST»,
// «SHORTEST k», «SHORTEST k GROUPS»; `count` is the k when written.
struct PathSelector {
  enum class Kind { Any, All, AnyShortest, AllShortest, Shortest, ShortestGroups };
  Kind kind = Kind::Any;
  std::optional<std::int64_t> count;
  QARVEX_AST_FIELDS(PathSelector, kind, count)
};

struct PatternPart {
  std::optional<std::string> variable;  // the path variable of `p = ...`
  PatternElement element;
  std::optional<PathSelector> selector;
  QARVEX_AST_FIELDS(PatternPart, selector, variable, element)
};

struct Pattern {
  std::vector<PatternPart> parts;
  QARVEX_AST_FIELDS(Pattern, parts)
};

// ---- Expressions ---------------------------------------------------------------------------

struct CaseAlternative {
  Box<Expression> when;
  Box<Expression> then;
  QARVEX_AST_FIELDS(CaseAlternative, when, then)
};

struct ExistsBody {
  struct ExistsPattern {
    Pattern pattern;
    QARVEX_AST_FIELDS(ExistsPattern, pattern)
  };
  struct ExistsQuery {
    Box<RegularQuery> query;
    QARVEX_AST_FIELDS(ExistsQuery, query)
  };
  std::variant<ExistsPattern, ExistsQuery> node;
  QARVEX_AST_FIELDS(ExistsBody, node)
};

#define QARVEX_AST_BINARY(Name)   \
  struct Name {                   \
    Box<Expression> left;         \
    Box<Expression> right;        \
    QARVEX_AST_FIELDS(Name, left, right) \
  };
#define QARVEX_AST_UNARY(Name)    \
  struct Name {                   \
    Box<Expression> operand;      \
    QARVEX_AST_FIELDS(Name, operand) \
  };
#define QARVEX_AST_QUANTIFIER(Name)                    \
  struct Name {                                        \
    std::string variable;                              \
    Box<Expression> list;                              \
    Box<Expression> predicate; /* the WHERE part */    \
    QARVEX_AST_FIELDS(Name, variable, list, predicate) \
  };

// The 55 kinds of expression; `Expression` holds one of them.
namespace expr {

struct Integer {
  std::int64_t value = 0;
  QARVEX_AST_FIELDS(Integer, value)
};
struct Float {
  double value = 0.0;
  QARVEX_AST_FIELDS(Float, value)
};
// The characters between the quotes exactly as written; nothing is decoded.
struct String {
  std::string value;
  QARVEX_AST_FIELDS(String, value)
};
struct Boolean {
  bool value = false;
  QARVEX_AST_FIELDS(Boolean, value)
};
struct Null {
  QARVEX_AST_FIELDS(Null)
};
struct List {
  std::vector<Box<Expression>> items;
  QARVEX_AST_FIELDS(List, items)
};
struct Map {
  PropertyMap map;
  QARVEX_AST_FIELDS(Map, map)
};
struct Variable {
  std::string name;
  QARVEX_AST_FIELDS(Variable, name)
};
struct PropertyLookup {
  Box<Expression> object;
  std::string key;
  QARVEX_AST_FIELDS(PropertyLookup, object, key)
};
struct Subscript {
  Box<Expression> object;
  Box<Expression> index;
  QARVEX_AST_FIELDS(Subscript, object, index)
};
struct Slice {
  Box<Expression> object;
  Box<Expression> from;  // may be empty
  Box<Expression> to;    // may be empty
  QARVEX_AST_FIELDS(Slice, object, from, to)
};
// The parameter name without its `$`.
struct Parameter {
  std::string name;
  QARVEX_AST_FIELDS(Parameter, name)
};
QARVEX_AST_BINARY(Or)
QARVEX_AST_BINARY(Xor)
QARVEX_AST_BINARY(And)
QARVEX_AST_UNARY(Not)
QARVEX_AST_BINARY(Equal)
QARVEX_AST_BINARY(NotEqual)
QARVEX_AST_BINARY(LessThan)
QARVEX_AST_BINARY(LessThanOrEqual)
QARVEX_AST_BINARY(GreaterThan)
QARVEX_AST_BINARY(GreaterThanOrEqual)
QARVEX_AST_BINARY(RegexMatch)
QARVEX_AST_UNARY(IsNull)
QARVEX_AST_UNARY(IsNotNull)
QARVEX_AST_BINARY(In)
QARVEX_AST_BINARY(StartsWith)
QARVEX_AST_BINARY(EndsWith)
QARVEX_AST_BINARY(Contains)
QARVEX_AST_BINARY(Add)
QARVEX_AST_BINARY(Subtract)
QARVEX_AST_BINARY(Multiply)
QARVEX_AST_BINARY(Divide)
QARVEX_AST_BINARY(Modulo)
QARVEX_AST_BINARY(Power)
QARVEX_AST_UNARY(Negate)
struct FunctionCall {
  std::string name;  // as written, dotted namespace included
  std::vector<Box<Expression>> arguments;
  bool distinct = false;
  QARVEX_AST_FIELDS(FunctionCall, name, arguments, distinct)
};
struct CountStar {
  QARVEX_AST_FIELDS(CountStar)
};
struct Case {
  Box<Expression> subject;  // present for the simple form «CASE x WHEN ...»
  std::vector<CaseAlternative> alternatives;
  Box<Expression> default_value;  // the ELSE value
  QARVEX_AST_FIELDS(Case, subject, alternatives, default_value)
};
struct ListComprehension {
  std::string variable;
  Box<Expression> list;
  Box<Expression> where_clause;
  Box<Expression> projection;  // the part after `|`
  QARVEX_AST_FIELDS(ListComprehension, variable, list, where_clause, projection)
};
QARVEX_AST_QUANTIFIER(QuantifierAll)
QARVEX_AST_QUANTIFIER(QuantifierAny)
QARVEX_AST_QUANTIFIER(QuantifierNone)
QARVEX_AST_QUANTIFIER(QuantifierSingle)
struct Reduce {
  std::string accumulator;
  Box<Expression> init;
  std::string variable;
  Box<Expression> list;
  Box<Expression> expression;
  QARVEX_AST_FIELDS(Reduce, accumulator, init, variable, list, expression)
};
// A shortest path written where an expression stands.
struct ShortestPath {
  Box<PatternElement> pattern;
  bool all = false;  // allShortestPaths
  QARVEX_AST_FIELDS(ShortestPath, pattern, all)
};
struct PatternComprehension {
  Box<PatternElement> pattern;
  Box<Expression> where_clause;
  Box<Expression> projection;
  std::optional<std::string> path_variable;  // Neo4j: «[p = (a)-->() | p]»
  QARVEX_AST_FIELDS(PatternComprehension, pattern, where_clause, projection, path_variable)
};
struct Exists {
  ExistsBody body;
  QARVEX_AST_FIELDS(Exists, body)
};
struct CountSubquery {
  Box<RegularQuery> query;
  QARVEX_AST_FIELDS(CountSubquery, query)
};
struct CollectSubquery {
  Box<RegularQuery> query;
  QARVEX_AST_FIELDS(CollectSubquery, query)
};
// A pattern written as an expression (Neo4j): «WHERE (a)-[:R]->(b)». It tests whether the
// pattern exists; used as any other value it is an error.
struct PatternPredicate {
  Box<PatternElement> pattern;
  QARVEX_AST_FIELDS(PatternPredicate, pattern)
};
// A label test (Neo4j): «n:A:B» or «n:A&B» holds every label, «n:A|B» any of them. A label
// expression with a negation or a wildcard («n:!A», «n IS (A|B)&!C») lists every name it
// writes and is marked `any`: the subject need not hold each of them.
struct HasLabels {
  Box<Expression> subject;
  std::vector<std::string> labels;
  bool any = false;
  QARVEX_AST_FIELDS(HasLabels, subject, labels, any)
};
// A map projection (Neo4j): «n {.name, .*, k: expr, var}». The `.key` items read properties of
// the base variable; `k: expr` and `var` (the entry var: var) make new entries.
struct MapProjection {
  std::string variable;
  std::vector<std::string> keys;  // the `.key` items, in source order
  PropertyMap entries;
  bool all_properties = false;  // `.*`
  QARVEX_AST_FIELDS(MapProjection, variable, keys, entries, all_properties)
};
// A type predicate (Neo4j): «x IS [NOT] :: INTEGER NOT NULL», «x :: LIST<STRING>».
struct IsTyped {
  Box<Expression> operand;
  std::string type;  // as written, white space included
  bool negated = false;
  QARVEX_AST_FIELDS(IsTyped, operand, type, negated)
};
// A normal form test (Neo4j): «s IS [NOT] [NFC|NFD|NFKC|NFKD] NORMALIZED».
struct IsNormalized {
  Box<Expression> operand;
  std::string form;  // upper case; NFC when none is written
  bool negated = false;
  QARVEX_AST_FIELDS(IsNormalized, operand, form, negated)
};

}  // namespace expr

struct Expression {
  using Node = std::variant<
      expr::Integer, expr::Float, expr::String, expr::Boolean, expr::Null, expr::List, expr::Map,
      expr::Variable, expr::PropertyLookup, expr::Subscript, expr::Slice, expr::Parameter,
      expr::Or, expr::Xor, expr::And, expr::Not, expr::Equal, expr::NotEqual, expr::LessThan,
      expr::LessThanOrEqual, expr::GreaterThan, expr::GreaterThanOrEqual, expr::RegexMatch,
      expr::IsNull, expr::IsNotNull, expr::In, expr::StartsWith, expr::EndsWith, expr::Contains,
      expr::Add, expr::Subtract, expr::Multiply, expr::Divide, expr::Modulo, expr::Power,
      expr::Negate, expr::FunctionCall, expr::CountStar, expr::Case, expr::ListComprehension,
      expr::QuantifierAll, expr::QuantifierAny, expr::QuantifierNone, expr::QuantifierSingle,
      expr::Reduce, expr::ShortestPath, expr::PatternComprehension, expr::Exists,
      expr::CountSubquery, expr::CollectSubquery, expr::PatternPredicate, expr::HasLabels,
      expr::MapProjection, expr::IsTyped, expr::IsNormalized>;
  static_assert(std::variant_size_v<Node> == 55);

  Node node;
  QARVEX_AST_FIELDS(Expression, node)

  Expression() = default;
  template <typename Alternative>
    requires(!std::is_same_v<std::remove_cvref_t<Alternative>, Expression> &&
             std::is_constructible_v<Node, Alternative>)
  Expression(Alternative&& alternative)  // NOLINT: every variant converts to its expression
      : node(std::forward<Alternative>(alternative)) {}
  Expression(const Expression& other);
  Expression& operator=(const Expression& other);
  Expression(Expression&&) noexcept = default;
  Expression& operator=(Expression&&) noexcept = default;
  ~Expression() = default;

  template <typename Alternative>
  const Alternative* as() const {
    return std::get_if<Alternative>(&node);
  }
};

#undef QARVEX_AST_BINARY
#undef QARVEX_AST_UNARY
#undef QARVEX_AST_QUANTIFIER

// Boxes an expression (the builder's and the tests' shorthand).
inline Box<Expression> boxed(Expression expression) { return Box<Expression>(std::move(expression)); }

// ---- Projections ---------------------------------------------------------------------------

struct ReturnItem {
  std::optional<std::string> alias;
  Expression expression;
  QARVEX_AST_FIELDS(ReturnItem, alias, expression)
};

struct SortItem {
  Expression expression;
  bool descending = false;
  QARVEX_AST_FIELDS(SortItem, expression, descending)
};

struct ReturnClause {
  std::vector<ReturnItem> items;  // empty for «RETURN *»
  std::optional<std::vector<SortItem>> order_by;
  std::optional<Expression> skip;
  std::optional<Expression> limit;
  bool distinct = false;
  QARVEX_AST_FIELDS(ReturnClause, items, order_by, skip, limit, distinct)
};

struct WithClause {
  std::vector<ReturnItem> items;  // empty for «WITH *»
  std::optional<std::vector<SortItem>> order_by;
  std::optional<Expression> skip;
  std::optional<Expression> limit;
  std::optional<Expression> where_clause;
  bool distinct = false;
  QARVEX_AST_FIELDS(WithClause, items, order_by, skip, limit, where_clause, distinct)
};

// ---- Reading clauses -----------------------------------------------------------------------

struct MatchClause {
  Pattern pattern;
  std::optional<Expression> where_clause;
  bool optional = false;
  QARVEX_AST_FIELDS(MatchClause, pattern, where_clause, optional)
};

struct UnwindClause {
  std::string variable;
  Expression expression;
  QARVEX_AST_FIELDS(UnwindClause, variable, expression)
};

struct YieldItem {
  std::string variable;
  std::optional<std::string> field;  // the result field written before AS
  QARVEX_AST_FIELDS(YieldItem, variable, field)
};

struct ProcedureCall {
  std::string name;  // as written, dotted namespace included
  std::vector<Expression> arguments;
  std::vector<YieldItem> yield_items;
  // Neo4j: «OPTIONAL CALL», «YIELD *», «YIELD a WHERE ...».
  std::optional<Expression> where_clause;
  bool optional = false;
  bool yield_all = false;
  QARVEX_AST_FIELDS(ProcedureCall, name, arguments, yield_items, where_clause, optional, yield_all)
};

// Neo4j's «IN [n CONCURRENT] TRANSACTIONS [OF m ROWS] [ON ERROR ...] [REPORT STATUS AS s]».
struct InTransactions {
  std::optional<Expression> concurrency;
  std::optional<Expression> batch_size;
  std::optional<std::string> status_variable;
  QARVEX_AST_FIELDS(InTransactions, concurrency, batch_size, status_variable)
};

// «CALL { ... }»; in Neo4j also «[OPTIONAL] CALL (x, y) { ... } [IN TRANSACTIONS ...]».
struct CallSubquery {
  Box<RegularQuery> query;
  // Neo4j's variable scope clause: absent for «CALL {», «(*)» imports every variable, «(x, y)»
  // exactly the listed ones.
  bool scoped = false;
  bool import_all = false;
  std::vector<std::string> imports;
  bool optional = false;
  std::optional<InTransactions> transactions;
  QARVEX_AST_FIELDS(CallSubquery, query, scoped, import_all, imports, optional, transactions)
};

// Neo4j: «LOAD CSV [WITH HEADERS] FROM source AS row [FIELDTERMINATOR ',']».
struct LoadCsvClause {
  Expression source;
  std::string variable;
  std::optional<std::string> field_terminator;  // the string literal as written
  bool with_headers = false;
  QARVEX_AST_FIELDS(LoadCsvClause, source, variable, field_terminator, with_headers)
};

struct ReadingClause {
  std::variant<MatchClause, UnwindClause, ProcedureCall, CallSubquery, LoadCsvClause> node;
  QARVEX_AST_FIELDS(ReadingClause, node)
};

// ---- Updating clauses ----------------------------------------------------------------------

struct SetItem {
  // `n.a.b = value`: keys a, b (never empty).
  struct Property {
    std::string variable;
    std::vector<std::string> keys;
    Expression value;
    QARVEX_AST_FIELDS(Property, variable, keys, value)
  };
  // `n = value`.
  struct Assign {
    std::string variable;
    Expression value;
    QARVEX_AST_FIELDS(Assign, variable, value)
  };
  // `n += value`.
  struct MergeAssign {
    std::string variable;
    Expression value;
    QARVEX_AST_FIELDS(MergeAssign, variable, value)
  };
  // `n:A:B`, and (Neo4j) dynamic labels `n:$(expr)`.
  struct Labels {
    std::string variable;
    std::vector<std::string> labels;
    std::vector<Expression> dynamic_labels;
    QARVEX_AST_FIELDS(Labels, dynamic_labels, variable, labels)
  };
  std::variant<Property, Assign, MergeAssign, Labels> node;
  QARVEX_AST_FIELDS(SetItem, node)
};

struct RemoveItem {
  struct Labels {
    std::string variable;
    std::vector<std::string> labels;  // empty for a bare variable
    std::vector<Expression> dynamic_labels;  // Neo4j: `n:$(expr)`
    QARVEX_AST_FIELDS(Labels, dynamic_labels, variable, labels)
  };
  struct Property {
    std::string variable;
    std::vector<std::string> keys;  // never empty
    QARVEX_AST_FIELDS(Property, variable, keys)
  };
  std::variant<Labels, Property> node;
  QARVEX_AST_FIELDS(RemoveItem, node)
};

struct CreateClause {
  Pattern pattern;
  QARVEX_AST_FIELDS(CreateClause, pattern)
};

struct MergeClause {
  PatternPart part;
  std::vector<std::vector<SetItem>> on_match;   // one list per ON MATCH SET
  std::vector<std::vector<SetItem>> on_create;  // one list per ON CREATE SET
  QARVEX_AST_FIELDS(MergeClause, part, on_match, on_create)
};

struct SetClause {
  std::vector<SetItem> items;
  QARVEX_AST_FIELDS(SetClause, items)
};

struct RemoveClause {
  std::vector<RemoveItem> items;
  QARVEX_AST_FIELDS(RemoveClause, items)
};

struct DeleteClause {
  std::vector<Expression> expressions;
  bool detach = false;
  bool nodetach = false;  // «NODETACH DELETE» (Neo4j): the plain delete, said outright
  QARVEX_AST_FIELDS(DeleteClause, expressions, detach, nodetach)
};

struct UpdatingClause;

struct ForeachClause {
  std::string variable;
  Expression list;
  std::vector<UpdatingClause> body;  // never empty
  QARVEX_AST_FIELDS(ForeachClause, variable, list, body)
};

struct UpdatingClause {
  std::variant<CreateClause, MergeClause, SetClause, RemoveClause, DeleteClause, ForeachClause>
      node;
  QARVEX_AST_FIELDS(UpdatingClause, node)
};

// ---- Queries -------------------------------------------------------------------------------

struct SinglePartQuery {
  std::vector<ReadingClause> reading_clauses;
  std::vector<UpdatingClause> updating_clauses;
  std::optional<ReturnClause> return_clause;
  QARVEX_AST_FIELDS(SinglePartQuery, reading_clauses, updating_clauses, return_clause)
};

// The clauses since the previous WITH (or the start) and the WITH that closes them.
struct QueryPart {
  std::vector<ReadingClause> reading_clauses;
  std::vector<UpdatingClause> updating_clauses;
  WithClause with_clause;
  QARVEX_AST_FIELDS(QueryPart, reading_clauses, updating_clauses, with_clause)
};

struct MultiPartQuery {
  std::vector<QueryPart> parts;  // one per WITH
  std::vector<ReadingClause> reading_clauses;
  std::vector<UpdatingClause> updating_clauses;
  std::optional<ReturnClause> return_clause;
  QARVEX_AST_FIELDS(MultiPartQuery, parts, reading_clauses, updating_clauses, return_clause)
};

struct SingleQuery {
  std::variant<SinglePartQuery, MultiPartQuery> node;
  QARVEX_AST_FIELDS(SingleQuery, node)
};

struct UnionPart {
  bool all = false;  // UNION ALL
  SingleQuery query;
  QARVEX_AST_FIELDS(UnionPart, all, query)
};

struct RegularQuery {
  SingleQuery first;
  std::vector<UnionPart> unions;
  QARVEX_AST_FIELDS(RegularQuery, first, unions)
};

// The root. The grammar reads a bare «CALL ... YIELD ...» statement as a regular query, so a
// `ProcedureCall` root does not come from the builder; consumers handle it all the same.
struct Query {
  std::variant<RegularQuery, ProcedureCall> node;
  QARVEX_AST_FIELDS(Query, node)
};

#undef QARVEX_AST_FIELDS

// Structural equality, without recursion along expression chains.
bool operator==(const Expression& a, const Expression& b);
bool operator==(const Query& a, const Query& b);

// A one-line rendering of a tree for tests and debugging, e.g.
// `Subtract(Integer(10), Divide(Integer(4), Integer(2)))`. Recursive: for small trees only.
std::string debug_string(const Expression& expression);
std::string debug_string(const Query& query);
std::string debug_string(const PatternElement& element);

}  // namespace qarvex
