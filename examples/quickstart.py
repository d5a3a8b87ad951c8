"""A tour of _qarvex on a small movie graph."""
from _qarvex import CypherGenerator, Schema

SCHEMA = Schema(
    {"Person": ["name", "born"], "Movie": ["title", "released", "tagline"]},
    {
        "ACTED_IN": ("Person", "Movie", ["roles"]),
        "DIRECTED": ("Person", "Movie", []),
        "FOLLOWS": ("Person", "Person", []),
    },
)


def section(title):
    print(f"\n== {title}")


def show_schema():
    section("Schema")
    print(SCHEMA)
    print("labels:", SCHEMA.node_labels())
    print("relationship types:", SCHEMA.rel_types())
    print("Person properties:", SCHEMA.node_properties("Person"))
    print("ACTED_IN goes", " -> ".join(SCHEMA.rel_endpoints("ACTED_IN")))
    print("has label 'Movie':", SCHEMA.has_node_label("Movie"),
          "/ 'movie':", SCHEMA.has_node_label("movie"))
    extra = Schema({"Studio": ["name"]}, {"PRODUCED": ("Studio", "Movie", ["year"])})
    print("merged with a studio schema:", SCHEMA.merge(extra))


def show_renderings():
    section("Schema for a prompt: plain listing")
    print(SCHEMA.to_prompt(), end="")
    section("Schema for a prompt: Markdown tables")
    print(SCHEMA.to_markdown(), end="")
    section("Schema for a prompt: inline Cypher patterns")
    print(SCHEMA.to_cypher_context(), end="")


def show_forms():
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


def show_generator():
    section("Generated queries")
    # A fixed seed makes the sequence repeatable: the same calls give the same queries.
    generator = CypherGenerator(SCHEMA, seed=42)
    for query_type in ("match_where_return", "create", "match_relationship", "order_by"):
        print(f"{query_type}: {generator.generate(query_type)}")
    print("three merges in one call:")
    for query in generator.generate_batch("merge", 3):
        print("  " + query)
    print("all types:", ", ".join(CypherGenerator.supported_types()))


if __name__ == "__main__":
    show_schema()
    show_renderings()
    show_forms()
    show_generator()
