import pytest

import _qarvex


@pytest.fixture
def movies():
    """A small schema of people and the movies they acted in."""
    return _qarvex.Schema(
        {"Person": ["name", "born"], "Movie": ["title", "released"]},
        {"ACTED_IN": ("Person", "Movie", ["roles"]), "KNOWS": ("Person", "Person", [])},
    )
