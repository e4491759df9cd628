"""The particle demo's frame (examples/particles.py) at 3,000 particles,
painted two ways for the benchmark: by the demo's own Painter through
korvex.draw, and by the painter it had before korvex could draw, which makes
raylib's calls one shape at a time through ctypes (bench/ctypes_raylib.py).
Both paint the same scene state into the same raylib batch."""

from __future__ import annotations

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "examples"))

import ctypes_raylib as craylib  # noqa: E402
import particles  # noqa: E402
from particles import BACKGROUND, BANDS, BORDER, FLARE_SIDE, MAX_SPEED, TRAIL  # noqa: E402

PARTICLES = 3000
WARM_UP_STEPS = 120  # the scene once particles have hit obstacles and flare


class CtypesPainter:
    """The demo's frame through ctypes: the raylib structures of colours that
    repeat are made once, through the parser, and kept; every particle's body
    and flare are made and drawn call by call."""

    GLOW_LEVELS = particles.Painter.GLOW_LEVELS

    def __init__(self, scene):
        rect_struct, color_struct = craylib.rect_struct, craylib.color_struct
        self.scene = scene
        self.started = False
        self.veil = rect_struct((0, 0, scene.width, scene.height))
        self.bounds = rect_struct(scene.bounds)
        self.obstacle_rects = [rect_struct(obstacle.rect) for obstacle in scene.obstacles]
        self.band_colours = [color_struct(colour) for colour in BANDS]
        self.band_step = len(BANDS) / (MAX_SPEED + 1)
        self.flare_size = craylib.vector2_struct((FLARE_SIDE, FLARE_SIDE))
        self.flare_corner = particles.Vector2(FLARE_SIDE / 2, FLARE_SIDE / 2)
        self.colour_cache = {}

    def _colour(self, key, make):
        colour = self.colour_cache.get(key)
        if colour is None:
            colour = self.colour_cache[key] = craylib.color_struct(make())
        return colour

    # The demo's own flare colours, so both painters draw the same picture.
    _flare_colour = particles.Painter._flare_colour

    def draw(self):
        rl, scene = craylib.rl, self.scene
        if self.started:
            rl.DrawRectangleRec(self.veil, self._colour("veil", lambda: BACKGROUND.get_faded(TRAIL)))
        else:
            rl.ClearBackground(craylib.color_struct(BACKGROUND))
            self.started = True
        rl.DrawRectangleLinesEx(self.bounds, 2.0, self._colour("border", lambda: BORDER))
        levels = self.GLOW_LEVELS
        for index, obstacle in enumerate(scene.obstacles):
            glow = round(obstacle.glow * levels)
            fill = self._colour(("fill", index, glow), lambda: obstacle.colour.get_faded(0.1 + 0.4 * glow / levels))
            rl.DrawRectangleRec(self.obstacle_rects[index], fill)
            rl.DrawRectangleLinesEx(self.obstacle_rects[index], 2.0, self._colour(("edge", index), lambda: obstacle.colour))

        rect_struct, vector2_struct = craylib.rect_struct, craylib.vector2_struct
        draw_rect, draw_square = rl.DrawRectangleRec, rl.DrawRectangleV
        band_colours, band_step = self.band_colours, self.band_step
        flare_size, flare_corner = self.flare_size, self.flare_corner
        for particle in scene.particles:
            band = int(particle.vel.length * band_step)
            if particle.flare:
                key = ("flare", band, particle.flare_tint, particle.flare)
                flare = self._colour(key, lambda: self._flare_colour(band, particle.flare_tint, particle.flare))
                draw_square(vector2_struct(particle.pos - flare_corner), flare_size, flare)
            draw_rect(rect_struct(particle.body), band_colours[band])


_scene = None


def scene():
    """The demo's default scene (800x600, seed 1) after WARM_UP_STEPS steps, made once."""
    global _scene
    if _scene is None:
        _scene = particles.Scene(800, 600, PARTICLES, seed=1)
        for _ in range(WARM_UP_STEPS):
            _scene.step()
    return _scene


def korvex_paint():
    return particles.Painter(scene()).draw


def ctypes_paint():
    return CtypesPainter(scene()).draw
