"""The shared corpora: their records and the schemas of their databases."""
import json
import pathlib

from _qarvex import Schema

CORPUS = pathlib.Path(__file__).resolve().parents[2].parent / "shared" / "corpus"


def records(name):
    with open(CORPUS / name, encoding="utf-8") as lines:
        return [json.loads(line) for line in lines if line.strip()]


def schemas():
    """The text2cypher schema entries by database name."""
    return json.loads((CORPUS / "neo4j-text2cypher-schemas.json").read_text(encoding="utf-8"))


def schema_of(entry):
    nodes = {label: list(properties) for label, properties in entry.get("nodes", {}).items()}
    relationships = {}
    for rel in entry.get("relationships", []):
        relationships[rel["type"]] = (rel["start"], rel["end"], list(rel.get("properties", {})))
    return Schema(nodes, relationships)
