# Type stubs of korvex.letter.letter: GlyphInfo, a font glyph record; Python
# code only ever makes empty ones.
from typing import Any, NoReturn

from typing_extensions import disjoint_base

# Doctest collection table of the module (empty).
__test__: dict[str, Any]

@disjoint_base
class GlyphInfo:
    def __reduce__(self) -> NoReturn: ...
    def __setstate__(self, __pyx_state: object) -> NoReturn: ...
