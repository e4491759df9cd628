"""korvex.colors.colors: the palette of 152 named Color objects."""

import gc
import pickle
import sys
import weakref

import pytest

from korvex.color.color import Color
from korvex.colors import colors as colors_module
from korvex.colors.colors import Colors, colors
from support import raises_exactly

# CSS Color Module Level 4 named colours, as the CSS table writes them.
CSS = {
    "aliceblue": "#f0f8ff", "antiquewhite": "#faebd7", "aqua": "#00ffff", "aquamarine": "#7fffd4",
    "azure": "#f0ffff", "beige": "#f5f5dc", "bisque": "#ffe4c4", "black": "#000000",
    "blanchedalmond": "#ffebcd", "blue": "#0000ff", "blueviolet": "#8a2be2", "brown": "#a52a2a",
    "burlywood": "#deb887", "cadetblue": "#5f9ea0", "chartreuse": "#7fff00", "chocolate": "#d2691e",
    "coral": "#ff7f50", "cornflowerblue": "#6495ed", "cornsilk": "#fff8dc", "crimson": "#dc143c",
    "cyan": "#00ffff", "darkblue": "#00008b", "darkcyan": "#008b8b", "darkgoldenrod": "#b8860b",
    "darkgray": "#a9a9a9", "darkgreen": "#006400", "darkgrey": "#a9a9a9", "darkkhaki": "#bdb76b",
    "darkmagenta": "#8b008b", "darkolivegreen": "#556b2f", "darkorange": "#ff8c00", "darkorchid": "#9932cc",
    "darkred": "#8b0000", "darksalmon": "#e9967a", "darkseagreen": "#8fbc8f", "darkslateblue": "#483d8b",
    "darkslategray": "#2f4f4f", "darkslategrey": "#2f4f4f", "darkturquoise": "#00ced1", "darkviolet": "#9400d3",
    "deeppink": "#ff1493", "deepskyblue": "#00bfff", "dimgray": "#696969", "dimgrey": "#696969",
    "dodgerblue": "#1e90ff", "firebrick": "#b22222", "floralwhite": "#fffaf0", "forestgreen": "#228b22",
    "fuchsia": "#ff00ff", "gainsboro": "#dcdcdc", "ghostwhite": "#f8f8ff", "gold": "#ffd700",
    "goldenrod": "#daa520", "gray": "#808080", "green": "#008000", "greenyellow": "#adff2f",
    "grey": "#808080", "honeydew": "#f0fff0", "hotpink": "#ff69b4", "indianred": "#cd5c5c",
    "indigo": "#4b0082", "ivory": "#fffff0", "khaki": "#f0e68c", "lavender": "#e6e6fa",
    "lavenderblush": "#fff0f5", "lawngreen": "#7cfc00", "lemonchiffon": "#fffacd", "lightblue": "#add8e6",
    "lightcoral": "#f08080", "lightcyan": "#e0ffff", "lightgoldenrodyellow": "#fafad2", "lightgray": "#d3d3d3",
    "lightgreen": "#90ee90", "lightgrey": "#d3d3d3", "lightpink": "#ffb6c1", "lightsalmon": "#ffa07a",
    "lightseagreen": "#20b2aa", "lightskyblue": "#87cefa", "lightslategray": "#778899",
    "lightslategrey": "#778899", "lightsteelblue": "#b0c4de", "lightyellow": "#ffffe0", "lime": "#00ff00",
    "limegreen": "#32cd32", "linen": "#faf0e6", "magenta": "#ff00ff", "maroon": "#800000",
    "mediumaquamarine": "#66cdaa", "mediumblue": "#0000cd", "mediumorchid": "#ba55d3",
    "mediumpurple": "#9370db", "mediumseagreen": "#3cb371", "mediumslateblue": "#7b68ee",
    "mediumspringgreen": "#00fa9a", "mediumturquoise": "#48d1cc", "mediumvioletred": "#c71585",
    "midnightblue": "#191970", "mintcream": "#f5fffa", "mistyrose": "#ffe4e1", "moccasin": "#ffe4b5",
    "navajowhite": "#ffdead", "navy": "#000080", "oldlace": "#fdf5e6", "olive": "#808000",
    "olivedrab": "#6b8e23", "orange": "#ffa500", "orangered": "#ff4500", "orchid": "#da70d6",
    "palegoldenrod": "#eee8aa", "palegreen": "#98fb98", "paleturquoise": "#afeeee", "palevioletred": "#db7093",
    "papayawhip": "#ffefd5", "peachpuff": "#ffdab9", "peru": "#cd853f", "pink": "#ffc0cb",
    "plum": "#dda0dd", "powderblue": "#b0e0e6", "purple": "#800080", "rebeccapurple": "#663399",
    "red": "#ff0000", "rosybrown": "#bc8f8f", "royalblue": "#4169e1", "saddlebrown": "#8b4513",
    "salmon": "#fa8072", "sandybrown": "#f4a460", "seagreen": "#2e8b57", "seashell": "#fff5ee",
    "sienna": "#a0522d", "silver": "#c0c0c0", "skyblue": "#87ceeb", "slateblue": "#6a5acd",
    "slategray": "#708090", "slategrey": "#708090", "snow": "#fffafa", "springgreen": "#00ff7f",
    "steelblue": "#4682b4", "tan": "#d2b48c", "teal": "#008080", "thistle": "#d8bfd8",
    "tomato": "#ff6347", "turquoise": "#40e0d0", "violet": "#ee82ee", "wheat": "#f5deb3",
    "white": "#ffffff", "whitesmoke": "#f5f5f5", "yellow": "#ffff00", "yellowgreen": "#9acd32",
}

NOT_CSS = {
    "Blank": (0, 0, 0, 0),
    "MediumForestGreen": (50, 129, 75, 255),
    "NavyBlue": (0, 0, 128, 255),
    "VioletRed": (208, 32, 144, 255),
}

# CSS names whose palette value is not the CSS one: (palette value, CSS value).
DIFFERS_FROM_CSS = {
    "Maroon": ((176, 48, 96, 255), (128, 0, 0)),
    "MediumOrchid": ((219, 112, 219, 255), (186, 85, 211)),
    "MediumSeaGreen": ((66, 170, 113, 255), (60, 179, 113)),
    "MediumSlateBlue": ((127, 255, 212, 255), (123, 104, 238)),
    "MediumSpringGreen": ((60, 179, 113, 255), (0, 250, 154)),
    "MediumTurquoise": ((112, 219, 219, 255), (72, 209, 204)),
    "Purple": ((160, 32, 240, 255), (128, 0, 128)),
}

NAMES = (
    "AliceBlue AntiqueWhite Aqua Aquamarine Azure Beige Bisque Black Blank BlanchedAlmond Blue BlueViolet "
    "Brown BurlyWood CadetBlue Chartreuse Chocolate Coral CornflowerBlue Cornsilk Crimson Cyan DarkBlue "
    "DarkCyan DarkGoldenrod DarkGray DarkGrey DarkGreen DarkKhaki DarkMagenta DarkOliveGreen DarkOrange "
    "DarkOrchid DarkRed DarkSalmon DarkSeaGreen DarkSlateBlue DarkSlateGray DarkSlateGrey DarkTurquoise "
    "DarkViolet DeepPink DeepSkyBlue DimGray DimGrey DodgerBlue FireBrick FloralWhite ForestGreen Fuchsia "
    "Gainsboro GhostWhite Gold Goldenrod Gray Grey Green GreenYellow Honeydew HotPink IndianRed Indigo Ivory "
    "Khaki Lavender LavenderBlush LawnGreen LemonChiffon LightBlue LightCoral LightCyan LightGoldenrodYellow "
    "LightGray LightGrey LightGreen LightPink LightSalmon LightSeaGreen LightSkyBlue LightSlateGray "
    "LightSlateGrey LightSteelBlue LightYellow Lime LimeGreen Linen Magenta Maroon MediumAquamarine MediumBlue "
    "MediumForestGreen MediumOrchid MediumPurple MediumSeaGreen MediumSlateBlue MediumSpringGreen "
    "MediumTurquoise MediumVioletRed MidnightBlue MintCream MistyRose Moccasin NavajoWhite Navy NavyBlue "
    "OldLace Olive OliveDrab Orange OrangeRed Orchid PaleGoldenrod PaleGreen PaleTurquoise PaleVioletRed "
    "PapayaWhip PeachPuff Peru Pink Plum PowderBlue Purple RebeccaPurple Red RosyBrown RoyalBlue SaddleBrown "
    "Salmon SandyBrown SeaGreen Seashell Sienna Silver SkyBlue SlateBlue SlateGray SlateGrey Snow SpringGreen "
    "SteelBlue Tan Teal Thistle Tomato Turquoise Violet VioletRed Wheat White WhiteSmoke Yellow YellowGreen"
).split()


def expected_value(name):
    if name in NOT_CSS:
        return NOT_CSS[name]
    if name in DIFFERS_FROM_CSS:
        return DIFFERS_FROM_CSS[name][0]
    text = CSS[name.lower()]
    return (int(text[1:3], 16), int(text[3:5], 16), int(text[5:7], 16), 255)


def rgba(c):
    return (c.r, c.g, c.b, c.a)


def test_name_tables():
    assert len(NAMES) == len(set(NAMES)) == 152
    assert len(CSS) == 148
    assert sorted(n.lower() for n in NAMES if n not in NOT_CSS) == sorted(CSS)
    for name, (_, css) in DIFFERS_FROM_CSS.items():
        assert css == tuple(int(CSS[name.lower()][i : i + 2], 16) for i in (1, 3, 5))


def test_attribute_order_is_the_palette_order():
    attributes = [name for name, value in vars(Colors).items() if type(value).__name__ == "getset_descriptor"]
    assert attributes == NAMES


@pytest.mark.parametrize("name", NAMES)
def test_palette_value(name):
    c = getattr(colors, name)
    assert type(c) is Color
    assert rgba(c) == expected_value(name)


def test_examples():
    assert rgba(colors.Red) == (255, 0, 0, 255)
    assert rgba(colors.Blank) == (0, 0, 0, 0)
    assert rgba(colors.Purple) == (160, 32, 240, 255)
    assert all(getattr(colors, n).a == 255 for n in NAMES if n != "Blank")


@pytest.mark.parametrize(
    "a, b",
    [("Aqua", "Cyan"), ("Gray", "Grey"), ("Fuchsia", "Magenta"), ("Navy", "NavyBlue"),
     ("Aquamarine", "MediumSlateBlue"), ("DarkSlateGray", "DarkSlateGrey"), ("MediumSeaGreen", "MediumSeaGreen")],
)
def test_equal_values_are_distinct_objects(a, b):
    x, y = getattr(colors, a), getattr(colors, b)
    assert x == y
    assert (x is y) == (a == b)


def test_every_attribute_is_its_own_object():
    assert len({id(getattr(colors, n)) for n in NAMES}) == 152


def test_attributes_hand_out_the_stored_object():
    p = Colors()
    assert p.White is p.White
    p.White.r = 0
    assert rgba(p.White) == (0, 255, 255, 255)
    old = p.White
    p.__init__()
    assert rgba(p.White) == (255, 255, 255, 255)
    assert p.White is not old


def test_init_undoes_assignments_and_deletions():
    p = Colors()
    p.Red = None
    del p.Blue
    p.Green = Color(1, 2, 3)
    assert p.__init__() is None
    assert rgba(p.Red) == (255, 0, 0, 255)
    assert rgba(p.Blue) == (0, 0, 255, 255)
    assert rgba(p.Green) == (0, 128, 0, 255)


def test_module_instance():
    assert type(colors_module.colors) is Colors
    assert colors_module.colors is colors
    assert Colors.__module__ == "korvex.colors.colors"


def test_new_without_init_holds_none():
    p = Colors.__new__(Colors)
    assert all(getattr(p, n) is None for n in NAMES)


class SubColor(Color):
    pass


def test_assignment():
    p = Colors()
    c = Color(1, 2, 3)
    p.Red = c
    assert p.Red is c
    s = SubColor(4, 5, 6)
    p.Red = s
    assert p.Red is s
    p.Red = None
    assert p.Red is None
    p.Red = c
    del p.Red
    assert p.Red is None
    del p.Red
    assert p.Red is None


@pytest.mark.parametrize(
    "value, type_name",
    [((255, 0, 0), "tuple"), (5, "int"), ([1, 2, 3], "list"), ("Red", "str"), (Colors, "type"),
     (Colors.__new__(Colors), "korvex.colors.colors.Colors")],
)
def test_assignment_refuses_non_colors(value, type_name):
    p = Colors()
    before = p.Red
    with raises_exactly(TypeError, f"Cannot convert {type_name} to korvex.color.color.Color"):
        p.Red = value
    assert p.Red is before


@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        ((1,), {}, "__init__() takes exactly 0 positional arguments (1 given)"),
        ((1, 2), {}, "__init__() takes exactly 0 positional arguments (2 given)"),
        ((), {"Red": 1}, "__init__() got an unexpected keyword argument 'Red'"),
        ((1,), {"x": 1}, "__init__() takes exactly 0 positional arguments (1 given)"),
    ],
)
def test_constructor_takes_nothing(args, kwargs, message):
    with raises_exactly(TypeError, message):
        Colors(*args, **kwargs)
    p = Colors()
    p.Red = None
    with raises_exactly(TypeError, message):
        p.__init__(*args, **kwargs)
    assert p.Red is None


def test_init_fills_a_bare_instance():
    p = Colors.__new__(Colors)
    assert p.AliceBlue is None and p.Yellow is None
    p.__init__()
    assert all(type(getattr(p, n)) is Color for n in NAMES)


def test_type_shape():
    assert Colors.__doc__ is None
    assert not hasattr(colors, "__dict__")
    with raises_exactly(TypeError, "cannot create weak reference to 'korvex.colors.colors.Colors' object"):
        weakref.ref(colors)
    assert gc.is_tracked(colors)

    class Sub(Colors):
        pass

    s = Sub()
    assert rgba(s.Red) == (255, 0, 0, 255)


def test_gc_referents_are_the_colors():
    p = Colors()
    referents = gc.get_referents(p)
    stored = [getattr(p, n) for n in NAMES]
    assert len(referents) == 152
    assert all(any(r is c for r in referents) for c in stored)


def test_gc_collects_cycles_through_a_subclass():
    class Cyclic(Colors):
        pass

    class Holder(Color):
        pass

    p = Cyclic()
    h = Holder(1, 2, 3)
    h.palette = p
    p.Red = h
    probe = weakref.ref(p)
    del p, h
    gc.collect()
    assert probe() is None


def test_pickling_refused():
    with raises_exactly(TypeError, "cannot pickle 'korvex.colors.colors.Colors' object"):
        pickle.dumps(colors)


def test_references():
    p = Colors()
    red = p.Red
    held = sys.getrefcount(red)
    p.Red = None
    assert sys.getrefcount(red) == held - 1
    c = Color(1, 2, 3)
    before = sys.getrefcount(c)
    p.Blue = c
    p.Green = c
    assert sys.getrefcount(c) == before + 2
    p.__init__()
    assert sys.getrefcount(c) == before
    p.Blue = c
    del p
    gc.collect()
    assert sys.getrefcount(c) == before
