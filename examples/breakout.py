"""Breakout, written with korvex alone: Vector2, Rect, Color and the colors
palette for the game, korvex.window for the window, the frame and the input,
korvex.draw for the picture.

    python3.14 examples/breakout.py --window
    python3.14 examples/breakout.py --autoplay [--frames N] [--out PATH] [--window]

Play with --window: Left/Right (or A/D) or the mouse move the paddle, Space
or a click launches the ball, P pauses, R (or Space) starts a new game after
the last ball or the last brick, Esc quits. --autoplay plays by itself with
scripted input; without --window it runs headless (a hidden window, e.g.
under Xvfb) for --frames frames. The last frame is written as a PNG (--out;
headless always). The game runs on a fixed time step and the script depends
on nothing else, so an autoplay run gives the same game and picture every
time.
"""

import argparse
import math
import random
import sys
from dataclasses import dataclass
from pathlib import Path

import korvex.window.window as window
from korvex.canvas.canvas import RenderTexture
from korvex.color.color import Color
from korvex.colors.colors import colors
from korvex.draw.draw import (draw_circle_v, draw_circles, draw_pixels, draw_rectangle_lines_ex,
                              draw_rectangle_rec, draw_rectangles, draw_text, draw_texture_rec, measure_text)
from korvex.image.image import export_image, image_flip_vertical, load_image_from_texture
from korvex.rect.rect import Rect
from korvex.vector2.vector2 import Vector2

REPOSITORY = Path(__file__).resolve().parent.parent
DEFAULT_OUT = REPOSITORY / "build" / "demo" / "breakout.png"

WIDTH, HEIGHT = 800, 600
STEP = 1 / 60  # fixed time step (s)
FIELD = Rect(10, 44, WIDTH - 20, HEIGHT - 44)  # walls left, top and right; open at the bottom
PADDLE_SIZE, PADDLE_Y, PADDLE_SPEED = (110, 14), HEIGHT - 40, 540.0
BALL_RADIUS = 7.0
BALL_SPEED, SPEED_UP, MAX_BALL_SPEED = 330.0, 1.02, 560.0  # px/s; factor per brick
MAX_BOUNCE = math.radians(60)  # off the paddle's end; its middle sends the ball straight up
LIVES = 3
COLUMNS, GAP, BRICK_HEIGHT, BRICKS_TOP = 12, 4.0, 20.0, 96.0
# Brick rows from the top: colour and points.
ROWS = ((colors.Crimson, 60), (colors.OrangeRed, 50), (colors.Orange, 40),
        (colors.Gold, 30), (colors.LimeGreen, 20), (colors.DeepSkyBlue, 10))
SPARKS, SPARK_FRAMES, SPARK_SPEED = 10, 36, 150.0  # per broken brick
TRAIL = 8  # ball positions kept for its trail

BACKGROUND = Color(12, 14, 30)
BORDER = colors.SlateGray
PADDLE = colors.Gainsboro
HUD = colors.WhiteSmoke


@dataclass
class Controls:
    """What the player asks of one step."""

    left: bool = False
    right: bool = False
    pointer_x: float | None = None  # where the mouse puts the paddle's centre
    launch: bool = False
    pause: bool = False
    restart: bool = False


class Brick:
    __slots__ = ("rect", "colour", "points")

    def __init__(self, rect, colour, points):
        self.rect, self.colour, self.points = rect, colour, points


class Spark:
    __slots__ = ("pos", "vel", "colour", "life")

    def __init__(self, pos, vel, colour):
        self.pos, self.vel, self.colour, self.life = pos, vel, colour, SPARK_FRAMES


class Game:
    """The rules, one fixed step at a time; no drawing and no input here."""

    def __init__(self):
        self.paddle = Rect(0, 0, *PADDLE_SIZE)
        self.new_game()

    def new_game(self):
        width = (FIELD.w - GAP * (COLUMNS + 1)) / COLUMNS
        self.bricks = [
            Brick(Rect(FIELD.x + GAP + column * (width + GAP), BRICKS_TOP + row * (BRICK_HEIGHT + GAP),
                       width, BRICK_HEIGHT), colour, points)
            for row, (colour, points) in enumerate(ROWS) for column in range(COLUMNS)
        ]
        self.score, self.lives, self.sparks, self.trail = 0, LIVES, [], []
        self.paddle.center = (WIDTH / 2, PADDLE_Y)
        self.serve()

    def serve(self):
        """The ball waits on the paddle for the launch."""
        self.state, self.speed = "ready", BALL_SPEED
        self.velocity = Vector2(0, 0)
        self.ball = Vector2(self.paddle.centerx, self.paddle.top - BALL_RADIUS)
        self.trail.clear()

    def step(self, controls):
        if controls.restart and self.state in ("over", "won"):
            self.new_game()
            return
        if controls.pause and self.state in ("playing", "paused"):
            self.state = "paused" if self.state == "playing" else "playing"
        if self.state == "paused":
            return
        self._move_paddle(controls)
        if self.state == "ready":
            self.ball.x = self.paddle.centerx
            if controls.launch:
                self.state = "playing"
                self.velocity = Vector2(0.3, -1).get_normalized() * self.speed
        elif self.state == "playing":
            self.trail.append(self.ball.copy())
            del self.trail[:-TRAIL]
            self.ball += self.velocity * STEP
            self._bounce_off_walls()
            self._bounce_off_paddle()
            self._break_brick()
        for spark in self.sparks:
            spark.pos += spark.vel * STEP
            spark.life -= 1
        self.sparks = [spark for spark in self.sparks if spark.life > 0]

    def _move_paddle(self, controls):
        paddle = self.paddle
        if controls.pointer_x is not None:
            paddle.centerx = controls.pointer_x
        paddle.x += (controls.right - controls.left) * PADDLE_SPEED * STEP
        paddle.x = min(max(paddle.x, FIELD.left), FIELD.right - paddle.w)

    def _bounce_off_walls(self):
        ball, velocity = self.ball, self.velocity
        left, right, top = FIELD.left + BALL_RADIUS, FIELD.right - BALL_RADIUS, FIELD.top + BALL_RADIUS
        if ball.x < left:
            ball.x, velocity.x = 2 * left - ball.x, abs(velocity.x)
        elif ball.x > right:
            ball.x, velocity.x = 2 * right - ball.x, -abs(velocity.x)
        if ball.y < top:
            ball.y, velocity.y = 2 * top - ball.y, abs(velocity.y)
        elif ball.y - BALL_RADIUS > HEIGHT:
            self.lives -= 1
            if self.lives:
                self.serve()
            else:
                self.state = "over"

    def _ball_rect(self):
        return Rect(self.ball.x - BALL_RADIUS, self.ball.y - BALL_RADIUS, 2 * BALL_RADIUS, 2 * BALL_RADIUS)

    def _bounce_off_paddle(self):
        """Where the ball meets the paddle sets its new direction: straight
        up in the middle, up to MAX_BOUNCE from the vertical at the ends."""
        paddle = self.paddle
        if self.velocity.y <= 0 or self.ball.y > paddle.bottom or not paddle.collide_rect_rect(self._ball_rect()):
            return
        offset = (self.ball.x - paddle.centerx) / (paddle.w / 2 + BALL_RADIUS)
        angle = max(-1.0, min(1.0, offset)) * MAX_BOUNCE
        self.velocity = Vector2(math.sin(angle), -math.cos(angle)) * self.speed
        self.ball.y = paddle.top - BALL_RADIUS

    def _break_brick(self):
        """Breaks the first brick the ball touches and turns the ball away
        from it along the axis of least overlap; one brick a step."""
        body = self._ball_rect()
        for index, brick in enumerate(self.bricks):
            rect = brick.rect
            if not rect.collide_rect_rect(body):
                continue
            del self.bricks[index]
            self.score += brick.points
            self.speed = min(self.speed * SPEED_UP, MAX_BALL_SPEED)
            from_left, from_right = body.right - rect.left, rect.right - body.left
            from_top, from_bottom = body.bottom - rect.top, rect.bottom - body.top
            velocity = self.velocity
            if min(from_left, from_right) < min(from_top, from_bottom):
                velocity.x = -abs(velocity.x) if from_left < from_right else abs(velocity.x)
            else:
                velocity.y = -abs(velocity.y) if from_top < from_bottom else abs(velocity.y)
            self.velocity = velocity.get_normalized() * self.speed
            self._burst(rect.center, brick.colour)
            if not self.bricks:
                self.state = "won"
            return

    def _burst(self, centre, colour):
        turn = 2 * math.pi / SPARKS
        for index in range(SPARKS):
            angle = (index + 0.5 * (len(self.bricks) % 2)) * turn
            speed = SPARK_SPEED * (0.6 + 0.4 * (index % 3) / 2)
            self.sparks.append(Spark(centre.copy(), Vector2(math.cos(angle), math.sin(angle)) * speed, colour))


def autopilot(game, frame):
    """Scripted input: the paddle chases the ball, meeting it a little off
    centre on a side that changes slowly, so the ball sweeps the bricks;
    launches after a short wait and starts a new game after the last one."""
    aim = 0.8 * math.sin(frame / 61) * game.paddle.w / 2
    target = game.ball.x - aim
    return Controls(
        left=target < game.paddle.centerx - 4,
        right=target > game.paddle.centerx + 4,
        launch=game.state == "ready" and frame % 60 == 30,
        restart=game.state in ("over", "won") and frame % 120 == 0,
    )


class Player:
    """Keyboard and mouse: the mouse takes the paddle when it moves, the keys
    when they are pressed."""

    SETTLING = 10  # first frames, in which raylib only learns where the pointer is

    def __init__(self):
        self.mouse = False
        self.pointer = None  # where the mouse was last frame
        self.frames = 0

    def controls(self):
        left = window.is_key_down(window.KEY_LEFT) or window.is_key_down(window.KEY_A)
        right = window.is_key_down(window.KEY_RIGHT) or window.is_key_down(window.KEY_D)
        pointer = window.get_mouse_position()
        self.frames += 1
        moved = self.frames > self.SETTLING and pointer != self.pointer
        self.pointer = pointer
        if left or right:
            self.mouse = False
        elif moved:
            self.mouse = True
        clicked = window.is_mouse_button_pressed(window.MOUSE_BUTTON_LEFT)
        launch = window.is_key_pressed(window.KEY_SPACE) or clicked
        return Controls(
            left=left, right=right,
            pointer_x=pointer.x if self.mouse else None,
            launch=launch, pause=window.is_key_pressed(window.KEY_P),
            restart=launch or window.is_key_pressed(window.KEY_R),
        )


class Painter:
    """Draws the game: batches for the stars, the bricks, the sparks and the
    trail, one call each for the rest."""

    def __init__(self):
        stars = random.Random(7)
        self.stars = [Vector2(stars.uniform(FIELD.left, FIELD.right), stars.uniform(FIELD.top, HEIGHT))
                      for _ in range(160)]
        self.star_colours = [Color(level, level, level + 30) for level in
                             (stars.randrange(60, 160) for _ in self.stars)]
        self.border = Rect(FIELD.x - 2, FIELD.y - 2, FIELD.w + 4, FIELD.h + 10)
        self.trail_colours = [colors.LightSkyBlue.get_faded(0.05 + 0.3 * i / TRAIL) for i in range(TRAIL)]

    def draw(self, game):
        window.clear_background(BACKGROUND)
        draw_pixels(self.stars, self.star_colours)
        draw_rectangle_lines_ex(self.border, 2.0, BORDER)
        if game.bricks:
            draw_rectangles([brick.rect for brick in game.bricks], [brick.colour for brick in game.bricks])
            # a lighter strip along the top of each brick
            draw_rectangles([(b.rect.x, b.rect.y, b.rect.w, 4) for b in game.bricks], colors.White.get_faded(0.35))
        if game.sparks:
            draw_circles([spark.pos for spark in game.sparks], 3.0,
                         [spark.colour.get_faded(spark.life / SPARK_FRAMES) for spark in game.sparks])
        if game.trail:
            draw_circles(game.trail, BALL_RADIUS * 0.7, self.trail_colours[-len(game.trail):])
        draw_rectangle_rec(game.paddle, PADDLE)
        draw_circle_v(game.ball, BALL_RADIUS, colors.White)
        self._hud(game)

    def _hud(self, game):
        draw_text(f"SCORE {game.score:04}", 16, 12, 20, HUD)
        lives = [(WIDTH - 24 - 22 * index, 22) for index in range(game.lives)]
        if lives:
            draw_circles(lives, 6.0, colors.White)
        message = {
            "ready": "SPACE or click to launch",
            "paused": "PAUSED (P to go on)",
            "over": "GAME OVER: R to play again",
            "won": "ALL BRICKS DOWN: R to play again",
        }.get(game.state)
        if message:
            size = 28
            draw_text(message, (WIDTH - measure_text(message, size)) // 2, HEIGHT // 2 + 40, size, colors.Gold)


def positive_int(text):
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a whole number: {text!r}") from None
    if value < 1:
        raise argparse.ArgumentTypeError(f"must be at least 1, got {value}")
    return value


def png_path(text):
    path = Path(text)
    if path.suffix.lower() != ".png":
        raise argparse.ArgumentTypeError(f"the picture is written as PNG: the name must end in .png, got {text!r}")
    return path


def parse_arguments(argv):
    parser = argparse.ArgumentParser(prog="breakout.py", description="Breakout, written with korvex.")
    parser.add_argument("--window", action="store_true", help="play in a window (keyboard and mouse)")
    parser.add_argument("--autoplay", action="store_true", help="play by itself with scripted input")
    parser.add_argument("--frames", type=positive_int, metavar="N",
                        help="frames to run (headless: 600; a window runs until closed)")
    parser.add_argument("--out", type=png_path, metavar="PATH",
                        help="PNG of the last frame (headless: build/demo/breakout.png)")
    options = parser.parse_args(argv)
    if not options.window and not options.autoplay:
        parser.error("choose --window to play, or --autoplay to let it play by itself (headless without --window)")
    if not options.window:
        options.frames = options.frames or 600
        options.out = options.out or DEFAULT_OUT
    return options


def run(options):
    window.set_trace_log_level(window.LOG_WARNING)
    if not options.window:
        window.set_config_flags(window.FLAG_WINDOW_HIDDEN)
    try:
        window.init_window(WIDTH, HEIGHT, "korvex breakout")
    except RuntimeError:
        print("breakout.py: raylib could not open a window (no display? headless, run it under xvfb-run)",
              file=sys.stderr)
        return 1
    try:
        target = RenderTexture(WIDTH, HEIGHT)
        try:
            return play(options, target)
        finally:
            target.unload()
    finally:
        window.close_window()


def play(options, target):
    game, painter, player = Game(), Painter(), Player()
    if options.window:
        window.set_target_fps(60)
    frame = 0
    while frame != options.frames and not (options.window and window.window_should_close()):
        game.step(autopilot(game, frame) if options.autoplay else player.controls())
        with target:
            painter.draw(game)
        if options.window:
            with window.drawing():  # render textures are stored bottom row first
                draw_texture_rec(target.texture, (0, 0, WIDTH, -HEIGHT), (0, 0), colors.White)
        frame += 1
    if options.out:
        try:
            options.out.parent.mkdir(parents=True, exist_ok=True)
        except OSError as error:
            print(f"breakout.py: cannot create the folder for the picture: {error}", file=sys.stderr)
            return 1
        image = load_image_from_texture(target.texture)
        image_flip_vertical(image)
        if not export_image(image, str(options.out)):
            print(f"breakout.py: could not write {options.out}", file=sys.stderr)
            return 1
    report = [("frames", frame), ("state", game.state), ("score", game.score), ("lives", game.lives),
              ("bricks left", len(game.bricks)), ("ball", f"{game.ball.x:.1f}, {game.ball.y:.1f}")]
    if options.out:
        report.append(("picture", options.out))
    for label, value in report:
        print(f"{label + ':':13}{value}")
    return 0


def main(argv=None):
    options = parse_arguments(argv)
    try:
        return run(options)
    except KeyboardInterrupt:
        print("\nbreakout.py: interrupted", file=sys.stderr)
        return 130


if __name__ == "__main__":
    sys.exit(main())
