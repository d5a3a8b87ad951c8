"""A tour of qarvex on a small movie graph."""
from qarvex import CypherGenerator, Qarvex, Schema, parse_query

SCHEMA = Schema(
    {"Person": ["name", "born"], "Movie": ["title", "released", "tagline"]},
    {
        "ACTED_IN": ("Person", "Movie", ["roles"]),
        "DIRECTED": ("Person", "Movie", []),
        "FOLLOWS": ("Person", "Person", []),
    },
)


def section(title: str) -> None:
    print(f"\n== {title}")


def show_schema() -> None:
    section("Schema")
    print(SCHEMA)
    print("labels:", SCHEMA.node_labels())
    print("relationship types:", SCHEMA.rel_types())
    print("Person properties:", SCHEMA.node_properties("Person"))
    endpoints = SCHEMA.rel_endpoints("ACTED_IN")  # None for an unknown type
    assert endpoints is not None
    print("ACTED_IN goes", " -> ".join(endpoints))
    print("has label 'Movie':", SCHEMA.has_node_label("Movie"),
          "/ 'movie':", SCHEMA.has_node_label("movie"))
    extra = Schema({"Studio": ["name"]}, {"PRODUCED": ("Studio", "Movie", ["year"])})
    print("merged with a studio schema:", SCHEMA.merge(extra))


def show_renderings() -> None:
    section("Schema for a prompt: plain listing")
    print(SCHEMA.to_prompt(), end="")
    section("Schema for a prompt: Markdown tables")
    print(SCHEMA.to_markdown(), end="")
    section("Schema for a prompt: inline Cypher patterns")
    print(SCHEMA.to_cypher_context(), end="")


def show_forms() -> None:
    section("Dictionary and JSON forms")
    as_dict = SCHEMA.to_dict()
    print("to_dict():", as_dict)
    print("Schema(**to_dict()):", Schema(**as_dict))
    text = SCHEMA.to_json()
    print("to_json():", text)
    restored = Schema.from_json(text)
    print("from_json(to_json()) has the same JSON:", restored.to_json() == text,
          "/ is the same object:", restored is SCHEMA)
    try:
        Schema.from_json('{"nodes": {"Person": "name"}, "relationships": {}}')
    except ValueError as error:
        print("a malformed document:", error)


def show_validation() -> None:
    section("Validation against the schema")
    validator = Qarvex(SCHEMA)
    for query in [
        "MATCH (p:Person)-[:ACTED_IN]->(m:Movie) WHERE m.released > 2000 RETURN p.name, m.title",
        "MATCH (p:Person RETURN p",
        "MATCH (p:Person) RETURN q.name",
        "MATCH (a:Person), (b:Movie) RETURN a, b LIMIT 1.5",
    ]:
        result = validator.validate(query)
        print(f"\n{query}\n  valid: {result.is_valid}")
        for diagnostic in result.diagnostics:
            print(f"  {diagnostic.code} {diagnostic.severity}: {diagnostic.message}")

    section("Did you mean: suggestions and the corrected query")
    result = validator.validate("MATCH (p:Persn)-[:ACTED_IN]->(m:Movie) WHERE m.titel = 'Heat' RETURN p.nme")
    for diagnostic in result.diagnostics:
        print(f"  {diagnostic.code}: {diagnostic.message}")
        print(f"    {diagnostic.suggestion_description}")
    print("fixed query:", result.fixed_query)
    print("as JSON:", result.to_json()[:120] + "...")
    batch = validator.validate_batch(["MATCH (n:Movie) RETURN n", "MATCH (n:Film) RETURN n"] * 2)
    print("batch of four:", [r.is_valid for r in batch])


def show_generator() -> None:
    section("Generated queries")
    # A fixed seed makes the sequence repeatable: the same calls give the same queries.
    generator = CypherGenerator(SCHEMA, seed=42)
    for query_type in ("match_where_return", "create", "match_relationship", "order_by"):
        print(f"{query_type}: {generator.generate(query_type)}")
    print("three merges in one call:")
    for query in generator.generate_batch("merge", 3):
        print("  " + query)
    print("all types:", ", ".join(CypherGenerator.supported_types()))


def show_parse_query() -> None:
    section("parse_query (no schema needed)")
    info = parse_query("MATCH (p:Person)-[:ACTED_IN]->(m:Movie) WHERE m.released > 2000 "
                       "RETURN p.name, m.title")
    print(info)
    print("valid:", info.is_valid, "| labels:", info.labels_used,
          "| relationship types:", info.rel_types_used, "| properties:", info.properties_used)
    broken = parse_query("MATCH (p:Person RETURN p")
    print("valid:", broken.is_valid)
    print(broken.errors[0])


if __name__ == "__main__":
    show_schema()
    show_renderings()
    show_forms()
    show_validation()
    show_generator()
    show_parse_query()
