"""raylib's drawing through ctypes: the path a Python program takes today
when it has no native drawing module, and the benchmark's peer of
korvex.draw.

ctypes binds the functions below on the same shared raylib that korvex's
modules link. The raylib structures that they take are made from korvex
objects by the parser module's native functions (reached through their
capsules), which copy a Rect's, Color's or Vector2's stored structure
straight out of the object. Counted with callgrind, that costs about 3,700
instructions per Rectangle against 4,400 for reading four attributes into
the ctypes constructor and 4,000 through get_tuple(); for a Color 3,600
against 4,200.
"""

import ctypes
import ctypes.util

import korvex.parser.parser as parser

# raylib 6's soname first: that is the library korvex's modules are linked to.
_LIBRARY_NAMES = ("libraylib.so.600", ctypes.util.find_library("raylib"))


class Vector2(ctypes.Structure):
    _fields_ = [("x", ctypes.c_float), ("y", ctypes.c_float)]


class Rectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_float), ("y", ctypes.c_float), ("width", ctypes.c_float), ("height", ctypes.c_float)]


class Color(ctypes.Structure):
    _fields_ = [("r", ctypes.c_ubyte), ("g", ctypes.c_ubyte), ("b", ctypes.c_ubyte), ("a", ctypes.c_ubyte)]


class RenderBatch(ctypes.Structure):
    """rlgl's rlRenderBatch: the vertex buffers that shapes are written into
    until a flush hands them to the GPU."""

    _fields_ = [
        ("bufferCount", ctypes.c_int),
        ("currentBuffer", ctypes.c_int),
        ("vertexBuffer", ctypes.c_void_p),
        ("draws", ctypes.c_void_p),
        ("drawCounter", ctypes.c_int),
        ("currentDepth", ctypes.c_float),
    ]


# name: (result type, argument types)
_SIGNATURES = {
    "DrawRectangleRec": (None, [Rectangle, Color]),
    "DrawRectangleV": (None, [Vector2, Vector2, Color]),
    "DrawRectangleLinesEx": (None, [Rectangle, ctypes.c_float, Color]),
    "DrawPixelV": (None, [Vector2, Color]),
    "DrawCircleV": (None, [Vector2, ctypes.c_float, Color]),
    "ClearBackground": (None, [Color]),
    "rlLoadRenderBatch": (RenderBatch, [ctypes.c_int, ctypes.c_int]),
    "rlUnloadRenderBatch": (None, [RenderBatch]),
    "rlSetRenderBatchActive": (None, [ctypes.POINTER(RenderBatch)]),
    "rlDrawRenderBatchActive": (None, []),
}


def _load_raylib():
    for name in _LIBRARY_NAMES:
        if not name:
            continue
        try:
            library = ctypes.CDLL(name)
        except OSError:
            continue
        for function, (restype, argtypes) in _SIGNATURES.items():
            entry = getattr(library, function)
            entry.restype = restype
            entry.argtypes = argtypes
        return library
    raise OSError("raylib's shared library (libraylib.so.600) was not found")


rl = _load_raylib()


def _capsule_function(name, signature, result):
    """The parser's exported function `name` as a ctypes callable. PYFUNCTYPE
    keeps the interpreter lock during the call and raises the exception that
    the function leaves pending, which is how these functions report failure."""
    get_pointer = ctypes.pythonapi.PyCapsule_GetPointer
    get_pointer.restype = ctypes.c_void_p
    get_pointer.argtypes = [ctypes.py_object, ctypes.c_char_p]
    address = get_pointer(parser.__pyx_capi__[name], signature.encode())
    return ctypes.PYFUNCTYPE(result, ctypes.py_object)(address)


rect_struct = _capsule_function("parse_rect_like", "struct Rectangle (PyObject *)", Rectangle)
color_struct = _capsule_function("parse_color_like", "struct Color (PyObject *)", Color)
vector2_struct = _capsule_function("parse_vector2_like", "struct Vector2 (PyObject *)", Vector2)
