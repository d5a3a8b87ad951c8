"""A tour of _qarvex on a small movie graph."""
from _qarvex import Schema, parse_query

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


def show_parse_query():
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
    show_parse_query()
