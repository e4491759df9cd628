"""Particles bouncing inside a box and off a grid of obstacles, drawn with
korvex into a render texture and saved as a PNG.

    python3.14 examples/particles.py [--particles N] [--frames N] [--seed S]
                                     [--size WxH] [--out PATH] [--window]

`make demo` runs it under Xvfb with a hidden window. Each particle has a
Vector2 position and velocity and a Rect body; it bounces off the walls
(found with collide_point) and off the obstacles (collide_rect_rect), which
kick it faster, while drag slows it down. Its colour comes from the `colors`
palette by speed band; a particle that hits an obstacle flares for a moment
in its band colour tinted by the obstacle's, fading out. The simulation runs
on a fixed time step and its own random generator, so the same arguments
give the same run and the same picture.
"""

import argparse
import random
import sys
import time
from pathlib import Path

from korvex.canvas.canvas import RenderTexture
from korvex.color.color import Color
from korvex.colors.colors import colors
from korvex.rect.rect import Rect
from korvex.vector2.vector2 import Vector2

import drawing
from drawing import rl

REPOSITORY = Path(__file__).resolve().parent.parent
DEFAULT_OUT = REPOSITORY / "build" / "demo" / "particles.png"
MIN_SIZE = (640, 480)
MAX_SIDE = 8192

STEP = 1 / 60  # fixed simulation step (s): a run does not depend on the machine's speed
MARGIN = 12
GRID = (6, 4)  # obstacle columns, rows
BODY = 3.0  # side of a particle's body
MIN_SPEED, MAX_SPEED = 40.0, 480.0  # px/s
KICK = Vector2(1.3, 1.3)  # velocity factor of an obstacle hit
DRAG = Vector2(0.998, 0.998)  # velocity factor of every step
FLARE_FRAMES = 18  # frames a particle flares after an obstacle hit
FLARE_SIDE = 4 * BODY
GLOW_DECAY = 0.9  # per frame, of an obstacle's glow after a hit
TRAIL = 0.3  # alpha of the background drawn over the last frame: the trails' length

BACKGROUND = Color(10, 12, 24)
BORDER = colors.SlateGray
# Speed bands, slowest first.
BANDS = (colors.SteelBlue, colors.DeepSkyBlue, colors.Turquoise, colors.Gold, colors.Orange, colors.OrangeRed)
OBSTACLE_COLOURS = (colors.Plum, colors.PaleTurquoise, colors.LightPink, colors.PaleGreen, colors.LightSkyBlue, colors.Khaki)


class Particle:
    __slots__ = ("pos", "vel", "body", "flare", "flare_tint")

    def __init__(self, pos, vel):
        self.pos = pos
        self.vel = vel
        self.body = Rect(0, 0, BODY, BODY)
        self.body.center = pos
        self.flare = 0  # frames left of the flare after an obstacle hit
        self.flare_tint = 0  # index of the obstacle that caused it


class Obstacle:
    __slots__ = ("rect", "colour", "glow")

    def __init__(self, rect, colour):
        self.rect = rect
        self.colour = colour
        self.glow = 0.0


class Scene:
    def __init__(self, width, height, count, seed):
        self.width, self.height = width, height
        self.bounds = Rect(MARGIN, MARGIN, width - 2 * MARGIN, height - 2 * MARGIN)
        self.random = random.Random(seed)
        self.obstacles = self._obstacle_grid()
        self.particles = [self._spawn() for _ in range(count)]
        self.wall_bounces = 0
        self.obstacle_hits = 0

    def _obstacle_grid(self):
        """One obstacle in the middle of each grid cell, wide and tall ones in
        a checkerboard; a particle that touches one has its centre in that
        cell, so each step looks at one obstacle only."""
        columns, rows = GRID
        self.cell_w = self.bounds.w / columns
        self.cell_h = self.bounds.h / rows
        grid = []
        for row in range(rows):
            for column in range(columns):
                wide = (row + column) % 2 == 0
                w = self.cell_w * (0.5 if wide else 0.22)
                h = self.cell_h * (0.22 if wide else 0.5)
                rect = Rect(0, 0, w, h)
                rect.center = (
                    self.bounds.x + (column + 0.5) * self.cell_w,
                    self.bounds.y + (row + 0.5) * self.cell_h,
                )
                grid.append(Obstacle(rect, OBSTACLE_COLOURS[len(grid) % len(OBSTACLE_COLOURS)]))
        return grid

    def _cell(self, pos):
        columns, rows = GRID
        column = min(max(int((pos.x - self.bounds.x) / self.cell_w), 0), columns - 1)
        row = min(max(int((pos.y - self.bounds.y) / self.cell_h), 0), rows - 1)
        return row * columns + column

    def _spawn(self):
        rand, bounds = self.random, self.bounds
        while True:
            pos = Vector2(rand.uniform(bounds.left, bounds.right), rand.uniform(bounds.top, bounds.bottom))
            if not self.obstacles[self._cell(pos)].rect.collide_point(pos):
                break
        speed = rand.uniform(MIN_SPEED, MAX_SPEED / 3)
        direction = Vector2(rand.uniform(-1, 1), rand.uniform(-1, 1))
        while direction.length < 1e-3:
            direction = Vector2(rand.uniform(-1, 1), rand.uniform(-1, 1))
        return Particle(pos, direction.get_normalized() * speed)

    def step(self):
        bounds, obstacles, cell = self.bounds, self.obstacles, self._cell
        for particle in self.particles:
            pos, vel = particle.pos, particle.vel
            pos += vel * STEP
            vel *= DRAG
            if not bounds.collide_point(pos):
                self._bounce_off_walls(pos, vel)
            body = particle.body
            body.center = pos
            index = cell(pos)
            obstacle = obstacles[index]
            if obstacle.rect.collide_rect_rect(body):
                self._bounce_off(obstacle.rect, particle)
                obstacle.glow = 1.0
                particle.flare, particle.flare_tint = FLARE_FRAMES, index
                self.obstacle_hits += 1
            elif particle.flare:
                particle.flare -= 1
            self._keep_speed(particle)
        for obstacle in obstacles:
            obstacle.glow *= GLOW_DECAY

    def _bounce_off_walls(self, pos, vel):
        """Mirrors the position back inside the bounds and turns the velocity."""
        bounds = self.bounds
        if pos.x < bounds.left:
            pos.x, vel.x = 2 * bounds.left - pos.x, abs(vel.x)
        elif pos.x > bounds.right:
            pos.x, vel.x = 2 * bounds.right - pos.x, -abs(vel.x)
        if pos.y < bounds.top:
            pos.y, vel.y = 2 * bounds.top - pos.y, abs(vel.y)
        elif pos.y > bounds.bottom:
            pos.y, vel.y = 2 * bounds.bottom - pos.y, -abs(vel.y)
        self.wall_bounces += 1

    @staticmethod
    def _bounce_off(rect, particle):
        """Pushes the body out of `rect` along the axis of least overlap,
        turns the velocity on that axis away from the obstacle and kicks it."""
        pos, vel, body = particle.pos, particle.vel, particle.body
        from_left, from_right = body.right - rect.left, rect.right - body.left
        from_top, from_bottom = body.bottom - rect.top, rect.bottom - body.top
        if min(from_left, from_right) < min(from_top, from_bottom):
            if from_left < from_right:
                pos.x, vel.x = pos.x - from_left, -abs(vel.x)
            else:
                pos.x, vel.x = pos.x + from_right, abs(vel.x)
        elif from_top < from_bottom:
            pos.y, vel.y = pos.y - from_top, -abs(vel.y)
        else:
            pos.y, vel.y = pos.y + from_bottom, abs(vel.y)
        vel *= KICK
        body.center = pos

    @staticmethod
    def _keep_speed(particle):
        speed = particle.vel.length
        if speed > MAX_SPEED:
            particle.vel = particle.vel * (MAX_SPEED / speed)
        elif speed < MIN_SPEED:
            particle.vel = particle.vel * (MIN_SPEED / speed)


class Painter:
    """Draws a scene into a render texture. The raylib structures of colours
    that repeat (a band colour, a flare at a given strength, an obstacle at a
    given glow) are made once, through the parser, and kept."""

    GLOW_LEVELS = 16

    def __init__(self, scene):
        self.scene = scene
        self.started = False
        self.veil = drawing.rect_struct((0, 0, scene.width, scene.height))
        self.bounds = drawing.rect_struct(scene.bounds)
        self.obstacle_rects = [drawing.rect_struct(obstacle.rect) for obstacle in scene.obstacles]
        self.band_colours = [drawing.color_struct(colour) for colour in BANDS]
        self.band_step = len(BANDS) / (MAX_SPEED + 1)
        # A flare is a square around the particle, FLARE_SIDE wide.
        self.flare_size = drawing.vector2_struct((FLARE_SIDE, FLARE_SIDE))
        self.flare_corner = Vector2(FLARE_SIDE / 2, FLARE_SIDE / 2)
        self.colour_cache = {}

    def _colour(self, key, make):
        colour = self.colour_cache.get(key)
        if colour is None:
            colour = self.colour_cache[key] = drawing.color_struct(make())
        return colour

    def _faded(self, base, alpha):
        colour = Color(base.r, base.g, base.b, base.a)
        colour.fade(alpha)
        return colour

    def _flare_colour(self, band, obstacle, strength):
        """Band colour tinted by the obstacle hit, fading as the flare ends."""
        colour = BANDS[band].tint(self.scene.obstacles[obstacle].colour)
        colour.fade(0.5 * strength / FLARE_FRAMES)
        return colour

    def draw(self):
        scene = self.scene
        if self.started:
            rl.DrawRectangleRec(self.veil, self._colour("veil", lambda: self._faded(BACKGROUND, TRAIL)))
        else:
            rl.ClearBackground(drawing.color_struct(BACKGROUND))
            self.started = True
        rl.DrawRectangleLinesEx(self.bounds, 2.0, self._colour("border", lambda: BORDER))
        levels = self.GLOW_LEVELS
        for index, obstacle in enumerate(scene.obstacles):
            glow = round(obstacle.glow * levels)
            fill = self._colour(("fill", index, glow), lambda: self._faded(obstacle.colour, 0.1 + 0.4 * glow / levels))
            rl.DrawRectangleRec(self.obstacle_rects[index], fill)
            rl.DrawRectangleLinesEx(self.obstacle_rects[index], 2.0, self._colour(("edge", index), lambda: obstacle.colour))

        rect_struct, vector2_struct = drawing.rect_struct, drawing.vector2_struct
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


def positive_int(text):
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a whole number: {text!r}") from None
    if value < 1:
        raise argparse.ArgumentTypeError(f"must be at least 1, got {value}")
    return value


def picture_size(text):
    width, _, height = text.lower().partition("x")
    try:
        size = (int(width), int(height))
    except ValueError:
        raise argparse.ArgumentTypeError(f"expected WIDTHxHEIGHT, e.g. 800x600, got {text!r}") from None
    if size[0] < MIN_SIZE[0] or size[1] < MIN_SIZE[1] or max(size) > MAX_SIDE:
        low, high = "x".join(map(str, MIN_SIZE)), f"{MAX_SIDE}x{MAX_SIDE}"
        raise argparse.ArgumentTypeError(f"must be from {low} up to {high}, got {text!r}")
    return size


def png_path(text):
    path = Path(text)
    if path.suffix.lower() != ".png":
        raise argparse.ArgumentTypeError(f"the picture is written as PNG: the name must end in .png, got {text!r}")
    return path


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        prog="particles.py", description="Bouncing particles drawn with korvex, saved as a PNG."
    )
    parser.add_argument("--particles", type=positive_int, default=3000, metavar="N", help="number of particles (3000)")
    parser.add_argument("--frames", type=positive_int, default=600, metavar="N", help="frames to simulate (600; a window runs until closed)")
    parser.add_argument("--seed", type=int, default=1, metavar="S", help="random seed (1)")
    parser.add_argument("--size", type=picture_size, default=(800, 600), metavar="WxH", help="picture size (800x600)")
    parser.add_argument("--out", type=png_path, default=DEFAULT_OUT, metavar="PATH", help="PNG to write (build/demo/particles.png)")
    parser.add_argument("--window", action="store_true", help="show the scene in a window at 60 fps until Esc or close")
    return parser.parse_args(argv)


class Progress:
    """One line that tells the frame and the current frame rate: rewritten
    in place on a terminal, a line every tenth of the run otherwise. With no
    frame count (a window runs until closed) it counts up."""

    def __init__(self, frames):
        self.frames = frames
        self.inline = sys.stdout.isatty()
        self.every = 10 if self.inline or not frames else max(1, frames // 10)
        self.last_frame, self.last_time = 0, time.perf_counter()

    def update(self, frame):
        if frame % self.every and frame != self.frames:
            return
        now = time.perf_counter()
        fps = (frame - self.last_frame) / max(now - self.last_time, 1e-9)
        self.last_frame, self.last_time = frame, now
        of_total = f" of {self.frames}" if self.frames else ""
        line = f"frame {frame}{of_total}, {fps:.1f} fps"
        if self.inline:
            print(f"\r{line}\033[K", end="", flush=True)
        else:
            print(line, flush=True)

    def done(self):
        if self.inline:
            print()


def shown_path(path):
    path = path.resolve()
    try:
        return str(path.relative_to(Path.cwd()))
    except ValueError:
        return str(path)


def run(options):
    width, height = options.size
    title = "korvex particles"
    if not drawing.open_window(width, height, title, visible=options.window):
        print("particles.py: raylib could not open a window (no display? run it through `make demo`)", file=sys.stderr)
        return 1
    try:
        target = RenderTexture(width, height)
        try:
            if not target.valid:
                print(f"particles.py: raylib could not make a {width}x{height} render texture", file=sys.stderr)
                return 1
            return simulate(options, target)
        finally:
            target.unload()
    finally:
        rl.CloseWindow()


def simulate(options, target):
    width, height = options.size
    scene = Scene(width, height, options.particles, options.seed)
    painter = Painter(scene)
    frames = 0 if options.window else options.frames
    progress = Progress(frames)
    simulation_time = drawing_time = 0.0
    frame = 0

    def running():
        return not rl.WindowShouldClose() if options.window else frame < frames

    if options.window:
        rl.SetTargetFPS(60)
    while running():
        started = time.perf_counter()
        scene.step()
        stepped = time.perf_counter()
        with target, drawing.OpaqueBlending():
            painter.draw()
        simulation_time += stepped - started
        drawing_time += time.perf_counter() - stepped
        frame += 1
        if options.window:
            drawing.show(target, width, height)
        progress.update(frame)
    progress.done()

    try:
        options.out.parent.mkdir(parents=True, exist_ok=True)
    except OSError as error:
        print(f"particles.py: cannot create the folder for the picture: {error}", file=sys.stderr)
        return 1
    if not drawing.export_png(target, options.out):
        print(f"particles.py: could not write {shown_path(options.out)}", file=sys.stderr)
        return 1
    frames_run = max(frame, 1)
    report = [
        ("frames", frame),
        ("particles", len(scene.particles)),
        ("simulation", f"{1000 * simulation_time / frames_run:.2f} ms per frame"),
        ("drawing", f"{1000 * drawing_time / frames_run:.2f} ms per frame"),
        ("wall bounces", scene.wall_bounces),
        ("obstacle hits", scene.obstacle_hits),
        ("picture", shown_path(options.out)),
    ]
    for label, value in report:
        print(f"{label + ':':15}{value}")
    return 0


def main(argv=None):
    options = parse_arguments(argv)
    try:
        return run(options)
    except KeyboardInterrupt:
        print("\nparticles.py: interrupted", file=sys.stderr)
        return 130


if __name__ == "__main__":
    sys.exit(main())
