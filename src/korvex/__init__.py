"""korvex: fast value types (vectors, Rect, Color) and thin raylib wrappers.

The classes live in one extension module each, imported as
``korvex.<module>.<module>``, for example ``from korvex.vector2.vector2 import
Vector2``.  This package adds the version and the location of the C++
declaration headers for other projects' extension modules.
"""

import os

from korvex._version import __version__

__all__ = ["__version__", "get_include"]


def get_include() -> str:
    """Return the directory to put on a C++ compiler's include path.

    It holds ``korvex/<module>/<module>.hpp`` for every extension module (object
    layout, native method table, inline helpers) and the ``korvex/common/``
    headers they include, so native code writes
    ``#include "korvex/vector2/vector2.hpp"``.
    """
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), "include")
