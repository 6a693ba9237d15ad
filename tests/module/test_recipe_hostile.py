"""Hostile recipes: a valid recipe with fields replaced by random JSON values or removed, and
files of random or deeply nested bytes. load_recipe takes the recipe or raises ValueError naming
the problem, never anything else; a recipe it took reads back as itself."""
import copy
import functools
import json
import operator
import re

from hypothesis import HealthCheck, given, settings, strategies as st

import tivra_batch

VALID = {"format": "tivra-recipe", "version": 1, "gauge": "circle",
         "roi": {"mode": "Annulus", "points": [[50, 50], [30, 0], [10, 0], [0, 360]], "angle": 0},
         "parameters": {"calipers": 8}, "pixel_size": 0.01}
PATHS = [("format",), ("gauge",), ("roi",), ("roi", "mode"), ("roi", "points"), ("roi", "points", 1),
         ("roi", "points", 2, 0), ("roi", "angle"), ("parameters",), ("pixel_size",)] + \
        [("parameters", name) for name in tivra_batch.recipe.DEFAULT_PARAMETERS]
JSON = st.recursive(st.none() | st.booleans() | st.integers() | st.floats() | st.text(max_size=6),
                    lambda inner: st.lists(inner, max_size=3) | st.dictionaries(st.text(max_size=6), inner, max_size=3),
                    max_leaves=8)
REMOVED = object()


def changed(changes):
    recipe = copy.deepcopy(VALID)
    for (*route, last), value in changes:
        try:
            parent = functools.reduce(operator.getitem, route, recipe)
            if value is REMOVED:
                del parent[last]
            else:
                parent[last] = value
        except (KeyError, IndexError, TypeError):
            pass  # an earlier change removed or replaced the way there
    return recipe


BYTES = st.binary(max_size=40) | st.sampled_from([b"[" * 100000, b'{"roi": ' * 50000, b'{"gauge": "\xff"}',
                                                  b'{"pixel_size": 1' + b"0" * 5000 + b"}"])


@settings(max_examples=200, deadline=None, derandomize=True, suppress_health_check=[HealthCheck.too_slow])
@given(changes=st.lists(st.tuples(st.sampled_from(PATHS), JSON | st.just(REMOVED)), max_size=3),
       form=st.sampled_from(["dict", "file", "bytes"]), raw=BYTES)
def test_hostile_recipes_raise_value_error_naming_the_problem(tmp_path_factory, changes, form, raw):
    source = changed(changes)
    if form != "dict":
        path = tmp_path_factory.getbasetemp() / "hostile.json"
        path.write_bytes(json.dumps(source).encode() if form == "file" else raw)
        source = path
    try:
        recipe = tivra_batch.load_recipe(source)
    except ValueError as error:
        assert re.search(r"gauge|roi|parameter|pixel_size|recipe", str(error)), error
    else:
        assert tivra_batch.load_recipe(recipe) == recipe
