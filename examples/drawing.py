"""The raylib calls the particle demo makes beyond what korvex wraps: window,
shapes, and reading a render texture back into a PNG.

They go through ctypes on the same shared raylib that korvex's modules link,
and only the functions the demo uses are bound. The raylib structures that
these calls take are made from korvex objects by the parser module's native
functions (reached through their capsules), which copy a Rect's, Color's or
Vector2's stored structure straight out of the object. Counted with
callgrind, that costs about 3,700 instructions per Rectangle against 4,400
for reading four attributes into the ctypes constructor and 4,000 through
get_tuple(); for a Color 3,600 against 4,200.
"""

import ctypes
import ctypes.util

import korvex.parser.parser as parser

# raylib 6's soname first: that is the library korvex's modules are linked to.
_LIBRARY_NAMES = ("libraylib.so.600", ctypes.util.find_library("raylib"))

FLAG_WINDOW_HIDDEN = 0x00000080
LOG_WARNING = 4
BLEND_CUSTOM_SEPARATE = 7
PIXELFORMAT_UNCOMPRESSED_R8G8B8 = 4
GL_ONE = 1
GL_SRC_ALPHA = 0x0302
GL_ONE_MINUS_SRC_ALPHA = 0x0303
GL_FUNC_ADD = 0x8006


class Vector2(ctypes.Structure):
    _fields_ = [("x", ctypes.c_float), ("y", ctypes.c_float)]


class Rectangle(ctypes.Structure):
    _fields_ = [("x", ctypes.c_float), ("y", ctypes.c_float), ("width", ctypes.c_float), ("height", ctypes.c_float)]


class Color(ctypes.Structure):
    _fields_ = [("r", ctypes.c_ubyte), ("g", ctypes.c_ubyte), ("b", ctypes.c_ubyte), ("a", ctypes.c_ubyte)]


class Texture2D(ctypes.Structure):
    _fields_ = [
        ("id", ctypes.c_uint),
        ("width", ctypes.c_int),
        ("height", ctypes.c_int),
        ("mipmaps", ctypes.c_int),
        ("format", ctypes.c_int),
    ]


class Image(ctypes.Structure):
    _fields_ = [
        ("data", ctypes.c_void_p),
        ("width", ctypes.c_int),
        ("height", ctypes.c_int),
        ("mipmaps", ctypes.c_int),
        ("format", ctypes.c_int),
    ]


# name: (result type, argument types)
_SIGNATURES = {
    "SetTraceLogLevel": (None, [ctypes.c_int]),
    "SetConfigFlags": (None, [ctypes.c_uint]),
    "InitWindow": (None, [ctypes.c_int, ctypes.c_int, ctypes.c_char_p]),
    "IsWindowReady": (ctypes.c_bool, []),
    "CloseWindow": (None, []),
    "WindowShouldClose": (ctypes.c_bool, []),
    "SetTargetFPS": (None, [ctypes.c_int]),
    "BeginDrawing": (None, []),
    "EndDrawing": (None, []),
    "ClearBackground": (None, [Color]),
    "rlSetBlendFactorsSeparate": (None, [ctypes.c_int] * 6),
    "BeginBlendMode": (None, [ctypes.c_int]),
    "EndBlendMode": (None, []),
    "DrawRectangleRec": (None, [Rectangle, Color]),
    "DrawRectangleV": (None, [Vector2, Vector2, Color]),
    "DrawRectangleLinesEx": (None, [Rectangle, ctypes.c_float, Color]),
    "DrawTextureRec": (None, [Texture2D, Rectangle, Vector2, Color]),
    "LoadImageFromTexture": (Image, [Texture2D]),
    "ImageFlipVertical": (None, [ctypes.POINTER(Image)]),
    "ImageFormat": (None, [ctypes.POINTER(Image), ctypes.c_int]),
    "ExportImage": (ctypes.c_bool, [Image, ctypes.c_char_p]),
    "UnloadImage": (None, [Image]),
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


def texture_struct(texture):
    """The raylib Texture2D that a korvex Texture describes."""
    return Texture2D(texture.id, texture.width, texture.height, texture.mipmaps, texture.format)


def open_window(width, height, title, *, visible):
    """Opens raylib's window (hidden unless `visible`); False when raylib
    could not open one, for example without a display."""
    rl.SetTraceLogLevel(LOG_WARNING)
    if not visible:
        rl.SetConfigFlags(FLAG_WINDOW_HIDDEN)
    rl.InitWindow(width, height, title.encode())
    return rl.IsWindowReady()


class OpaqueBlending:
    """A `with` block in which translucent shapes blend their colour over the
    target's but leave the target opaque. raylib's default blending treats
    alpha like a colour channel, so a translucent shape would make the
    picture itself translucent where it falls (alpha' = a*a + alpha*(1-a))."""

    def __enter__(self):
        rl.rlSetBlendFactorsSeparate(
            GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_FUNC_ADD, GL_FUNC_ADD
        )
        rl.BeginBlendMode(BLEND_CUSTOM_SEPARATE)
        return self

    def __exit__(self, *exc_info):
        rl.EndBlendMode()
        return False


def show(render_texture, width, height):
    """Draws a render texture's colour texture on the window. Render textures
    are stored bottom row first, hence the negative source height."""
    rl.BeginDrawing()
    rl.DrawTextureRec(
        texture_struct(render_texture.texture),
        Rectangle(0, 0, width, -height),
        Vector2(0, 0),
        Color(255, 255, 255, 255),
    )
    rl.EndDrawing()


def export_png(render_texture, path):
    """Reads the render texture back from the GPU, turns it right way up and
    writes it as an RGB PNG (the picture is opaque); False when raylib could
    not write the file."""
    image = rl.LoadImageFromTexture(texture_struct(render_texture.texture))
    if not image.data:
        return False
    try:
        rl.ImageFlipVertical(ctypes.byref(image))
        rl.ImageFormat(ctypes.byref(image), PIXELFORMAT_UNCOMPRESSED_R8G8B8)
        return rl.ExportImage(image, str(path).encode())
    finally:
        rl.UnloadImage(image)
