# Type stubs of korvex.parser.parser: native parsers for other extension
# modules, published as capsules named by their C signatures.
from types import CapsuleType
from typing import Any

# Doctest collection table of the module (empty).
__test__: dict[str, Any]

__pyx_capi__: dict[str, CapsuleType]
