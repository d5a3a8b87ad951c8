"""A tour of _qarvex on a small movie graph."""
from _qarvex import Schema

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


if __name__ == "__main__":
    show_schema()
