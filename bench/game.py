"""A game-like loop written idiomatically for each library.

Particles move by pos += vel * dt, bounce off the walls of a bounding
rectangle and step back off the obstacle of the grid cell they are in (one
square in the middle of every cell).  The world keeps a margin of one cell
around the bounds and a particle moves less than a cell per frame, so the
cell index of a particle is always inside the grid.

Each library writes the frame its own way: korvex and pygame with their
vectors and rectangles; PyGLM with its vectors and hand-written edge tests
(it has no rectangle); complex with plain numbers in lists.
"""

from __future__ import annotations

import random
import statistics
import time
from dataclasses import dataclass
from typing import Callable

from libraries import import_pygame, import_pyglm

CELL = 64
COLS, ROWS = 20, 12
WIDTH, HEIGHT = COLS * CELL, ROWS * CELL
OBSTACLE = 24  # side of the square in the middle of each cell
DT = 1 / 60
BOUNDS = (CELL, CELL, WIDTH - 2 * CELL, HEIGHT - 2 * CELL)


def _start(count: int) -> list[tuple[float, float, float, float]]:
    """The same particles for every library: (x, y, vx, vy)."""
    rng = random.Random(count)
    bx, by, bw, bh = BOUNDS
    return [
        (bx + rng.random() * bw, by + rng.random() * bh, rng.uniform(-180, 180), rng.uniform(-180, 180))
        for _ in range(count)
    ]


def _obstacles() -> list[tuple[float, float, float, float]]:
    """(x, y, width, height) of the square of each cell, row-major."""
    inset = (CELL - OBSTACLE) / 2
    return [(col * CELL + inset, row * CELL + inset, OBSTACLE, OBSTACLE) for row in range(ROWS) for col in range(COLS)]


def korvex_world(count: int) -> Callable[[], None]:
    from korvex.rect.rect import Rect
    from korvex.vector2.vector2 import Vector2

    # A particle is a body, a Rect of zero size whose top-left corner is its
    # position, and a velocity: the body moves by to_moved, and a body of zero
    # size is inside a rectangle exactly when its point is (edges included).
    particles = [(Rect(x, y, 0, 0), Vector2(vx, vy)) for x, y, vx, vy in _start(count)]
    obstacles = [Rect(*o) for o in _obstacles()]
    bounds = Rect(*BOUNDS)
    left, top, right, bottom = bounds.left, bounds.top, bounds.right, bounds.bottom
    # The walls' normals: a bounce is a reflection, exact for axis normals.
    side_wall, end_wall = Vector2(1, 0), Vector2(0, 1)

    def frame() -> None:
        for body, vel in particles:
            body.to_moved(vel * DT)
            if not bounds.contains(body):
                x, y = body.topleft
                if x < left or x > right:
                    vel.to_reflected(side_wall)
                if y < top or y > bottom:
                    vel.to_reflected(end_wall)
            if obstacles[int(body.y // CELL) * COLS + int(body.x // CELL)].contains(body):
                body.to_moved(vel * -DT)
                vel.to_neg()

    frame.state = lambda: [(body.x, body.y) for body, _ in particles]
    return frame


def pygame_world(count: int) -> Callable[[], None]:
    pygame = import_pygame()
    from pygame.math import Vector2

    particles = [(Vector2(x, y), Vector2(vx, vy)) for x, y, vx, vy in _start(count)]
    obstacles = [pygame.Rect(*o) for o in _obstacles()]
    bounds = pygame.Rect(*BOUNDS)
    left, top, right, bottom = bounds.left, bounds.top, bounds.right, bounds.bottom

    def frame() -> None:
        for pos, vel in particles:
            pos += vel * DT
            if not bounds.collidepoint(pos):
                x, y = pos
                if x < left or x > right:
                    vel.x = -vel.x
                if y < top or y > bottom:
                    vel.y = -vel.y
            if obstacles[int(pos.y // CELL) * COLS + int(pos.x // CELL)].collidepoint(pos):
                pos -= vel * DT
                vel *= -1

    frame.state = lambda: [(p.x, p.y) for p, _ in particles]
    return frame


def pyglm_world(count: int) -> Callable[[], None]:
    glm = import_pyglm()

    particles = [(glm.vec2(x, y), glm.vec2(vx, vy)) for x, y, vx, vy in _start(count)]
    obstacles = [(x, y, x + w, y + h) for x, y, w, h in _obstacles()]
    bx, by, bw, bh = BOUNDS
    left, top, right, bottom = bx, by, bx + bw, by + bh

    def frame() -> None:
        for pos, vel in particles:
            pos += vel * DT
            x, y = pos
            if x < left or x > right:
                vel.x = -vel.x
            if y < top or y > bottom:
                vel.y = -vel.y
            ox, oy, ox2, oy2 = obstacles[int(y // CELL) * COLS + int(x // CELL)]
            if ox <= x <= ox2 and oy <= y <= oy2:
                pos -= vel * DT
                vel *= -1

    frame.state = lambda: [(p.x, p.y) for p, _ in particles]
    return frame


def complex_world(count: int) -> Callable[[], None]:
    start = _start(count)
    positions = [complex(x, y) for x, y, _, _ in start]
    velocities = [complex(vx, vy) for _, _, vx, vy in start]
    obstacles = [(x, y, x + w, y + h) for x, y, w, h in _obstacles()]
    bx, by, bw, bh = BOUNDS
    left, top, right, bottom = bx, by, bx + bw, by + bh
    indices = range(count)

    def frame() -> None:
        for i in indices:
            vel = velocities[i]
            pos = positions[i] + vel * DT
            x, y = pos.real, pos.imag
            if x < left or x > right:
                vel = complex(-vel.real, vel.imag)
            if y < top or y > bottom:
                vel = complex(vel.real, -vel.imag)
            ox, oy, ox2, oy2 = obstacles[int(y // CELL) * COLS + int(x // CELL)]
            if ox <= x <= ox2 and oy <= y <= oy2:
                pos -= vel * DT
                vel = -vel
            positions[i] = pos
            velocities[i] = vel

    frame.state = lambda: [(p.real, p.imag) for p in positions]
    return frame


WORLDS = {"korvex": korvex_world, "pygame": pygame_world, "PyGLM": pyglm_world, "complex": complex_world}


@dataclass
class LoopResult:
    particles: int
    fps: dict[str, list[float]]  # frames/s of each round, per library
    ratios: list[float]  # korvex / fastest peer, paired within each round

    @property
    def median_fps(self) -> dict[str, float]:
        return {lib: statistics.median(values) for lib, values in self.fps.items()}

    @property
    def median_ratio(self) -> float:
        return statistics.median(self.ratios)


def run_loop(count: int, rounds: int, target: float, libraries: list[str]) -> LoopResult:
    """Frames/s of every library at `count` particles, interleaved by round."""
    frames = {lib: WORLDS[lib](count) for lib in libraries}
    per_round = {}
    for lib, frame in frames.items():  # calibrate: about `target` seconds a sample
        frame()
        t0 = time.perf_counter()
        frame()
        per_round[lib] = max(1, round(target / max(time.perf_counter() - t0, 1e-9)))
    fps: dict[str, list[float]] = {lib: [] for lib in libraries}
    ratios = []
    for round_index in range(rounds):
        shift = round_index % len(libraries)
        for lib in libraries[shift:] + libraries[:shift]:
            frame, n = frames[lib], per_round[lib]
            t0 = time.perf_counter()
            for _ in range(n):
                frame()
            fps[lib].append(n / (time.perf_counter() - t0))
        peers = [fps[lib][-1] for lib in libraries if lib != "korvex"]
        if "korvex" in fps and peers:
            ratios.append(fps["korvex"][-1] / max(peers))
    return LoopResult(count, fps, ratios)
