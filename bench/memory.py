"""Bytes per object of each type, against the peers' equivalents."""

from __future__ import annotations

import gc
import sys
import tracemalloc
from typing import Callable

from libraries import import_pygame, import_pyglm


def _types() -> dict[str, dict[str, Callable[[], object]]]:
    """type label -> library -> factory of one value."""
    from korvex.color.color import Color
    from korvex.rect.rect import Rect
    from korvex.vector2.vector2 import Vector2
    from korvex.vector3.vector3 import Vector3
    from korvex.vector4.vector4 import Vector4

    table = {
        "Vector2": {"korvex": lambda: Vector2(1.5, 2.5), "complex": lambda: complex(1.5, 2.5)},
        "Vector3": {"korvex": lambda: Vector3(1.5, 2.5, 3.5)},
        "Vector4": {"korvex": lambda: Vector4(1.5, 2.5, 3.5, 4.5)},
        "Rect": {"korvex": lambda: Rect(1, 2, 3, 4)},
        "Color": {"korvex": lambda: Color(1, 2, 3, 4)},
    }
    try:
        pygame = import_pygame()
        from pygame.math import Vector2 as PVector2, Vector3 as PVector3

        table["Vector2"]["pygame"] = lambda: PVector2(1.5, 2.5)
        table["Vector3"]["pygame"] = lambda: PVector3(1.5, 2.5, 3.5)
        table["Rect"]["pygame"] = lambda: pygame.Rect(1, 2, 3, 4)
        table["Color"]["pygame"] = lambda: pygame.Color(1, 2, 3, 4)
    except ImportError:
        pass
    try:
        glm = import_pyglm()

        table["Vector2"]["PyGLM"] = lambda: glm.vec2(1.5, 2.5)
        table["Vector3"]["PyGLM"] = lambda: glm.vec3(1.5, 2.5, 3.5)
        table["Vector4"]["PyGLM"] = lambda: glm.vec4(1.5, 2.5, 3.5, 4.5)
    except ImportError:
        pass
    return table


def sizes() -> dict[str, dict[str, int]]:
    """sys.getsizeof of one object of each type, per library."""
    return {label: {lib: sys.getsizeof(make()) for lib, make in libs.items()} for label, libs in _types().items()}


def traced_bytes_per_object(make: Callable[[], object], count: int) -> float:
    """Memory traced for a list of `count` objects, per object, list slot excluded."""
    gc.collect()
    tracemalloc.start()
    try:
        before = tracemalloc.get_traced_memory()[0]
        values = [make() for _ in range(count)]
        after = tracemalloc.get_traced_memory()[0]
    finally:
        tracemalloc.stop()
    per_object = (after - before - sys.getsizeof(values)) / count
    del values
    return per_object


def vector2_list(count: int) -> dict[str, float]:
    """Bytes per Vector2 in a list of `count`, for each library that has one."""
    return {lib: traced_bytes_per_object(make, count) for lib, make in _types()["Vector2"].items()}
