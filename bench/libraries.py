"""The libraries compared, and the operands each offers to the statements.

Every library gets a namespace factory with the same names (a, b: two
2-vectors; r, r2: two rectangles; c, c2: two colours; ...), holding that
library's own objects, so one statement text often serves several libraries.
A name a library lacks is simply absent; operations name the libraries they
run on.
"""

from __future__ import annotations

import importlib
import os
import warnings
from dataclasses import dataclass
from typing import Callable

import drawing


def import_pyglm():
    """PyGLM's glm module, by the import path its newer releases prefer."""
    try:
        from pyglm import glm
    except ImportError:
        import glm
    return glm


def import_pygame():
    """pygame, imported without its greeting banner and its note about AVX2 blits."""
    os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")
        return importlib.import_module("pygame")


@dataclass(frozen=True)
class Library:
    key: str  # one letter, as used in the operation table
    name: str
    version: str
    make_namespace: Callable[[], dict]

    def has_operands(self, stmt: str) -> bool:
        """Whether the statement's names exist here (the parser rows need the build's test module)."""
        try:
            exec(stmt, {}, self.make_namespace())
        except NameError:
            return False
        return True


# Rectangles scattered over a 1000 x 1000 field, the same for every library:
# (x, y, 20, 20), a few of which overlap the operand r = (10, 20, 30, 40).
RECT_COUNTS = (10, 100, 1000)


def scattered_rects(count: int) -> list[tuple[int, int, int, int]]:
    return [((i * 379) % 1000, (i * 911 + 500) % 1000, 20, 20) for i in range(count)]


def rect_lists(make) -> dict:
    """rects10, rects100, rects1000: lists of the library's rectangles."""
    return {f"rects{n}": [make(*values) for values in scattered_rects(n)] for n in RECT_COUNTS}


def _korvex() -> Library:
    """korvex; with the drawing rows enabled, korvex.draw's functions too."""
    from korvex.color.color import Color
    from korvex.colors.colors import colors
    from korvex.rect.rect import Rect
    from korvex.vector2.vector2 import Vector2
    from korvex.vector3.vector3 import Vector3
    from korvex.vector4.vector4 import Vector4

    try:
        consumer = importlib.import_module("korvex_consumer")
    except ImportError:  # an installed korvex has no test module
        consumer = None

    def make() -> dict:
        ns = dict(
            V2=Vector2, V3=Vector3, V4=Vector4, R=Rect, C=Color, colors=colors,
            a=Vector2(1.5, 2.5), b=Vector2(3.25, -4.5), m=Vector2(1.0, -1.0),
            a3=Vector3(1.5, 2.5, 3.5), b3=Vector3(3.25, -4.5, 0.75), m3=Vector3(1.0, -1.0, 1.0),
            a4=Vector4(1.5, 2.5, 3.5, 4.5), b4=Vector4(3.25, -4.5, 0.75, 2.0), m4=Vector4(1.0, -1.0, 1.0, -1.0),
            r=Rect(10, 20, 30, 40), r2=Rect(25, 35, 30, 40),
            q4=Vector4(25, 35, 30, 40), p=Vector2(15.5, 25.5), n4=Vector4(0.2, 0.4, 0.6, 0.8),
            c=Color(10, 20, 30, 40), c2=Color(200, 100, 50, 255),
            **rect_lists(Rect),
        )
        if consumer is not None:
            ns.update(
                parse_v2=consumer.parser_vector2_like,
                parse_rect=consumer.parser_rect_like,
                parse_color=consumer.parser_color_like,
            )
        if drawing.enabled:
            drawing.settle()
            ns.update(drawing.korvex_names())
        return ns

    return Library("k", "korvex", "build", make)


def _pygame() -> Library:
    pygame = import_pygame()
    from pygame.math import Vector2, Vector3

    def make() -> dict:
        return dict(
            V2=Vector2, V3=Vector3, R=pygame.Rect, C=pygame.Color,
            a=Vector2(1.5, 2.5), b=Vector2(3.25, -4.5), m=Vector2(1.0, -1.0),
            a3=Vector3(1.5, 2.5, 3.5), b3=Vector3(3.25, -4.5, 0.75),
            r=pygame.Rect(10, 20, 30, 40), r2=pygame.Rect(25, 35, 30, 40),
            p=Vector2(15.5, 25.5),
            c=pygame.Color(10, 20, 30, 40), c2=pygame.Color(200, 100, 50, 255),
            **(drawing.pygame_names() if drawing.enabled else {}),
            **rect_lists(pygame.Rect),
        )

    return Library("p", "pygame", pygame.version.ver, make)


def _pyglm() -> Library:
    glm = import_pyglm()

    def make() -> dict:
        return dict(
            glm=glm, V2=glm.vec2, V3=glm.vec3, V4=glm.vec4,
            a=glm.vec2(1.5, 2.5), b=glm.vec2(3.25, -4.5), m=glm.vec2(1.0, -1.0),
            a3=glm.vec3(1.5, 2.5, 3.5), b3=glm.vec3(3.25, -4.5, 0.75), m3=glm.vec3(1.0, -1.0, 1.0),
            a4=glm.vec4(1.5, 2.5, 3.5, 4.5), b4=glm.vec4(3.25, -4.5, 0.75, 2.0), m4=glm.vec4(1.0, -1.0, 1.0, -1.0),
        )

    return Library("g", "PyGLM", glm.version.split()[-1], make)


def _complex() -> Library:
    def make() -> dict:
        return dict(V2=complex, a=complex(1.5, 2.5), b=complex(3.25, -4.5), m=complex(1.0, -1.0))

    return Library("c", "complex", "builtin", make)


def parse_vector2_like(value):
    if type(value) is tuple or type(value) is list:
        return (float(value[0]), float(value[1]))
    return (value.x, value.y)


def parse_rect_like(value):
    if type(value) is tuple or type(value) is list:
        return (float(value[0]), float(value[1]), float(value[2]), float(value[3]))
    return (value.x, value.y, value.width, value.height)


def parse_color_like(value):
    if type(value) is tuple or type(value) is list:
        alpha = value[3] if len(value) == 4 else 255
        return tuple(min(max(int(v), 0), 255) for v in (value[0], value[1], value[2], alpha))
    return (value.r, value.g, value.b, value.a)


def _python() -> Library:
    """Plain Python: the parsers written the way a pure-Python package would."""
    from korvex.color.color import Color
    from korvex.rect.rect import Rect
    from korvex.vector2.vector2 import Vector2

    def make() -> dict:
        return dict(
            a=Vector2(1.5, 2.5), r=Rect(10, 20, 30, 40), c=Color(10, 20, 30, 40),
            parse_v2=parse_vector2_like, parse_rect=parse_rect_like, parse_color=parse_color_like,
        )

    return Library("y", "Python", "builtin", make)


def _ctypes(built_once: bool) -> Library:
    """raylib through ctypes (bench/ctypes_raylib.py), for the drawing rows:
    the parser capsules make the structures at every call, or (built_once)
    they were made beforehand, which is raylib's own cost."""
    import ctypes_raylib

    def make() -> dict:
        if not drawing.enabled:
            return {}
        drawing.settle()
        return dict(drawing.ctypes_names(built_once))

    key, name = ("w", "raylib's own") if built_once else ("x", "ctypes")
    return Library(key, name, "builtin", make)


def load() -> dict[str, Library]:
    """Every library that imports here, keyed by its letter."""
    libraries = {}
    factories = (_korvex, _pygame, _pyglm, _complex, _python, lambda: _ctypes(False), lambda: _ctypes(True))
    for factory in factories:
        try:
            library = factory()
        except (ImportError, OSError):  # OSError: no raylib for ctypes
            if factory is _korvex:
                raise
            continue
        libraries[library.key] = library
    return libraries
