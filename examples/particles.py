"""Particles bouncing inside a box and off a grid of obstacles, drawn with
korvex into a render texture and saved as a PNG.

    python3.14 examples/particles.py [--particles N] [--frames N] [--seed S]
                                     [--size WxH] [--out PATH] [--window]

`make demo` runs it under Xvfb with a hidden window. It opens the window,
draws and reads the picture back through korvex alone (`korvex.window`,
`korvex.draw`, `korvex.image`). Each particle has a
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

import korvex.window.window as window
from korvex.canvas.canvas import RenderTexture
from korvex.color.color import Color
from korvex.colors.colors import colors
from korvex.draw.draw import draw_rectangle_lines_ex, draw_rectangle_rec, draw_rectangles, draw_texture_rec
from korvex.image.image import export_image, image_flip_vertical, load_image_from_texture
from korvex.rect.rect import Rect
from korvex.vector2.vector2 import Vector2

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
    """Draws a scene into a render texture. The particles go in one
    draw_rectangles call per frame, each flare just before its particle's
    body, so the picture is the one that drawing them one by one gives. The
    colours that repeat (a flare at a given strength, an obstacle at a given
    glow) are made once and kept."""

    GLOW_LEVELS = 16

    def __init__(self, scene):
        self.scene = scene
        self.started = False
        self.veil = Rect(0, 0, scene.width, scene.height)
        self.veil_colour = BACKGROUND.get_faded(TRAIL)
        self.obstacle_rects = [obstacle.rect for obstacle in scene.obstacles]
        self.edge_colours = [obstacle.colour for obstacle in scene.obstacles]
        self.band_step = len(BANDS) / (MAX_SPEED + 1)
        # A flare is a square around the particle, FLARE_SIDE wide.
        self.flare_size = Vector2(FLARE_SIDE, FLARE_SIDE)
        self.flare_corner = Vector2(FLARE_SIDE / 2, FLARE_SIDE / 2)
        self.colour_cache = {}
        self.flare_colours = {}  # (band, obstacle, frames left): colour

    def _colour(self, key, make):
        colour = self.colour_cache.get(key)
        if colour is None:
            colour = self.colour_cache[key] = make()
        return colour

    def _flare_colour(self, band, obstacle, strength):
        """Band colour tinted by the obstacle hit, fading as the flare ends."""
        colour = BANDS[band].tint(self.scene.obstacles[obstacle].colour)
        colour.fade(0.5 * strength / FLARE_FRAMES)
        return colour

    def draw(self):
        scene = self.scene
        if self.started:
            draw_rectangle_rec(self.veil, self.veil_colour)
        else:
            window.clear_background(BACKGROUND)
            self.started = True
        draw_rectangle_lines_ex(scene.bounds, 2.0, BORDER)
        # The obstacles do not overlap: all fills, then all edges, give the
        # pixels of fill and edge one obstacle after the other.
        levels = self.GLOW_LEVELS
        fills = []
        for index, obstacle in enumerate(scene.obstacles):
            glow = round(obstacle.glow * levels)
            fills.append(self._colour(("fill", index, glow), lambda: obstacle.colour.get_faded(0.1 + 0.4 * glow / levels)))
        draw_rectangles(self.obstacle_rects, fills)
        for rect, colour in zip(self.obstacle_rects, self.edge_colours):
            draw_rectangle_lines_ex(rect, 2.0, colour)

        rects, fills = [], []
        add_rect, add_fill = rects.append, fills.append
        bands, band_step, flare_size, flare_corner = BANDS, self.band_step, self.flare_size, self.flare_corner
        flares = self.flare_colours
        for particle in scene.particles:
            band = int(particle.vel.length * band_step)
            if particle.flare:
                key = (band, particle.flare_tint, particle.flare)
                flare = flares.get(key)
                if flare is None:
                    flare = flares[key] = self._flare_colour(*key)
                add_rect(Rect(particle.pos - flare_corner, flare_size))
                add_fill(flare)
            add_rect(particle.body)
            add_fill(bands[band])
        draw_rectangles(rects, fills)


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
    window.set_trace_log_level(window.LOG_WARNING)
    if not options.window:
        window.set_config_flags(window.FLAG_WINDOW_HIDDEN)
    try:
        window.init_window(width, height, "korvex particles")
    except RuntimeError:
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
        window.close_window()


class OpaqueBlending:
    """A `with` block in which translucent shapes blend their colour over the
    target's but leave the target opaque. raylib's default blending treats
    alpha like a colour channel, so a translucent shape would make the
    picture itself translucent where it falls (alpha' = a*a + alpha*(1-a))."""

    def __enter__(self):
        w = window
        w.set_blend_factors_separate(
            w.RL_SRC_ALPHA, w.RL_ONE_MINUS_SRC_ALPHA, w.RL_ONE, w.RL_ONE_MINUS_SRC_ALPHA, w.RL_FUNC_ADD, w.RL_FUNC_ADD
        )
        w.begin_blend_mode(w.BLEND_CUSTOM_SEPARATE)
        return self

    def __exit__(self, *exc_info):
        window.end_blend_mode()
        return False


def show(target, width, height):
    """Draws the render texture on the window. Render textures are stored
    bottom row first, hence the negative source height."""
    with window.drawing():
        draw_texture_rec(target.texture, (0, 0, width, -height), (0, 0), colors.White)


def export_png(target, path):
    """Reads the render texture back from the GPU, turns it right way up and
    writes it as a PNG; False when raylib could not write the file."""
    image = load_image_from_texture(target.texture)
    image_flip_vertical(image)
    return export_image(image, str(path))


def simulate(options, target):
    width, height = options.size
    scene = Scene(width, height, options.particles, options.seed)
    painter = Painter(scene)
    frames = 0 if options.window else options.frames
    progress = Progress(frames)
    simulation_time = calls_time = flush_time = 0.0
    frame = 0

    def running():
        return not window.window_should_close() if options.window else frame < frames

    if options.window:
        window.set_target_fps(60)
    # The simulation and the draw calls are timed in CPU time of this thread,
    # which other processes and the GPU driver's threads (Mesa's software
    # renderer, under Xvfb) do not slow down; the flush in wall time: leaving
    # blending and the render texture hands raylib's batch of shapes to the
    # GPU, and entering them waits for what it still draws there of the last
    # frame.
    cpu, wall = time.thread_time, time.perf_counter
    while running():
        started = cpu()
        scene.step()
        stepped, entering = cpu(), wall()
        with target, OpaqueBlending():
            entered, calling = wall(), cpu()
            painter.draw()
            called, leaving = cpu(), wall()
        simulation_time += stepped - started
        calls_time += called - calling
        flush_time += (entered - entering) + (wall() - leaving)
        frame += 1
        if options.window:
            show(target, width, height)
        progress.update(frame)
    progress.done()

    try:
        options.out.parent.mkdir(parents=True, exist_ok=True)
    except OSError as error:
        print(f"particles.py: cannot create the folder for the picture: {error}", file=sys.stderr)
        return 1
    if not export_png(target, options.out):
        print(f"particles.py: could not write {shown_path(options.out)}", file=sys.stderr)
        return 1
    frames_run = max(frame, 1)
    report = [
        ("frames", frame),
        ("particles", len(scene.particles)),
        ("simulation", f"{1000 * simulation_time / frames_run:.2f} ms per frame"),
        ("draw calls", f"{1000 * calls_time / frames_run:.2f} ms per frame"),
        ("GPU flush", f"{1000 * flush_time / frames_run:.2f} ms per frame"),
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
