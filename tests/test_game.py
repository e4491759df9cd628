"""The breakout example (examples/breakout.py): its rules step by step, and
a headless autoplay run whose picture and end state are always the same."""

import math
import os
import subprocess
import sys
from pathlib import Path

import pytest

from korvex.colors.colors import colors
from readback import Picture, summary
from support import f32

GAME = Path(__file__).resolve().parent.parent / "examples" / "breakout.py"
sys.path.insert(0, str(GAME.parent))
import breakout  # noqa: E402
from breakout import BALL_RADIUS, BALL_SPEED, FIELD, HEIGHT, Controls, Game  # noqa: E402

IDLE = Controls()


def playing(ball, velocity):
    game = Game()
    game.state, game.ball, game.velocity = "playing", breakout.Vector2(*ball), breakout.Vector2(*velocity)
    return game


@pytest.mark.parametrize("controls, edge, expected", [
    (Controls(right=True), "right", FIELD.right),
    (Controls(left=True), "left", FIELD.left),
    (Controls(pointer_x=2000.0), "right", FIELD.right),
    (Controls(pointer_x=-50.0), "left", FIELD.left),
    (Controls(pointer_x=300.0), "centerx", 300.0),
])
def test_paddle_follows_keys_and_mouse_within_the_walls(controls, edge, expected):
    game = Game()
    for _ in range(120):
        game.step(controls)
    assert getattr(game.paddle, edge) == expected
    assert game.ball.x == game.paddle.centerx and game.state == "ready"  # the ball rides the paddle


def test_launch_sends_the_ball_up_at_serve_speed():
    game = Game()
    game.step(Controls(launch=True))
    assert game.state == "playing"
    assert game.velocity.length == pytest.approx(BALL_SPEED, rel=1e-6) and game.velocity.y < 0


@pytest.mark.parametrize("ball, velocity, expected_ball, expected_velocity", [
    ((FIELD.left + BALL_RADIUS + 1, 300), (-300, 0), (FIELD.left + BALL_RADIUS + 4, 300), (300, 0)),
    ((FIELD.right - BALL_RADIUS - 1, 300), (300, 0), (FIELD.right - BALL_RADIUS - 4, 300), (-300, 0)),
    ((400, FIELD.top + BALL_RADIUS + 1), (0, -300), (400, FIELD.top + BALL_RADIUS + 4), (0, 300)),
])
def test_ball_bounces_off_the_walls(ball, velocity, expected_ball, expected_velocity):
    game = playing(ball, velocity)
    game.step(IDLE)
    assert tuple(game.ball) == tuple(map(f32, expected_ball)) and tuple(game.velocity) == expected_velocity


@pytest.mark.parametrize("where, angle", [(0.0, 0.0), (0.9, 54.0), (-0.9, -54.0), (0.5, 30.0)])
def test_paddle_sends_the_ball_by_where_it_hits(where, angle):
    """Straight up from the middle, up to 60 degrees from the vertical at the
    ends (where: the hit point's offset from the centre over the paddle's
    half width plus the ball's radius)."""
    game = Game()
    paddle = game.paddle
    reach = paddle.w / 2 + BALL_RADIUS
    game = playing((paddle.centerx + where * reach, paddle.top - BALL_RADIUS - 1), (0, 120))
    game.step(IDLE)
    assert math.degrees(math.atan2(game.velocity.x, -game.velocity.y)) == pytest.approx(angle, abs=1e-4)
    assert game.ball.y == paddle.top - BALL_RADIUS and game.velocity.length == pytest.approx(BALL_SPEED, rel=1e-6)


def test_breaking_a_brick_scores_speeds_up_and_turns_the_ball():
    game = Game()
    brick = game.bricks[-1]  # bottom row, last column: 10 points
    game = playing((brick.rect.centerx, brick.rect.bottom + BALL_RADIUS + 1), (0, -300))
    game.step(IDLE)
    assert [b.rect for b in game.bricks].count(brick.rect) == 0 and len(game.bricks) == 71
    assert (game.score, game.state) == (10, "playing")
    assert game.speed == pytest.approx(BALL_SPEED * 1.02) and game.velocity.y > 0
    assert game.velocity.length == pytest.approx(game.speed, rel=1e-6)
    assert len(game.sparks) == breakout.SPARKS


def test_last_brick_wins_and_restart_deals_a_new_game():
    game = Game()
    rect = game.bricks[0].rect
    game = playing((rect.centerx, rect.bottom + BALL_RADIUS + 1), (0, -300))
    game.bricks = game.bricks[:1]
    game.step(IDLE)
    assert (game.state, game.score) == ("won", 60)
    game.step(IDLE)
    assert game.state == "won"
    game.step(Controls(restart=True))
    assert (game.state, game.score, game.lives, len(game.bricks)) == ("ready", 0, 3, 72)


@pytest.mark.parametrize("lives, state", [(3, "ready"), (2, "ready"), (1, "over")])
def test_a_lost_ball_costs_a_life(lives, state):
    game = playing((400, HEIGHT + BALL_RADIUS - 1), (0, 300))
    game.lives = lives
    game.step(IDLE)
    assert (game.lives, game.state) == (lives - 1, state)
    if state == "ready":
        assert game.velocity.length == 0 and game.ball.y == game.paddle.top - BALL_RADIUS


def test_pause_freezes_the_game_until_asked_again():
    game = playing((400, 300), (120, -120))
    game.step(Controls(pause=True))
    frozen = (tuple(game.ball), tuple(game.paddle))
    game.step(Controls(right=True, launch=True))
    assert game.state == "paused" and (tuple(game.ball), tuple(game.paddle)) == frozen
    game.step(Controls(pause=True))
    assert game.state == "playing" and tuple(game.ball) != frozen[0]


class FakeInput:
    """Stands in for korvex.window's input functions: keys held and pressed,
    a click, and where the pointer is."""

    def __init__(self, monkeypatch):
        self.down, self.pressed, self.clicked, self.pointer = set(), set(), False, breakout.Vector2(100, 100)
        w = breakout.window
        monkeypatch.setattr(w, "is_key_down", lambda key: key in self.down)
        monkeypatch.setattr(w, "is_key_pressed", lambda key: key in self.pressed)
        monkeypatch.setattr(w, "is_mouse_button_pressed", lambda button: self.clicked and button == w.MOUSE_BUTTON_LEFT)
        monkeypatch.setattr(w, "get_mouse_position", lambda: self.pointer.copy())


def test_player_reads_keys_clicks_and_the_mouse_once_it_moves(monkeypatch):
    w, player, fake = breakout.window, breakout.Player(), FakeInput(monkeypatch)
    fake.pointer = breakout.Vector2(640, 512)  # where raylib finds the pointer: no motion yet
    for _ in range(breakout.Player.SETTLING):
        assert player.controls() == Controls()
    fake.down = {w.KEY_A}
    assert player.controls() == Controls(left=True)
    fake.down, fake.pointer = set(), breakout.Vector2(300, 200)  # the mouse moves: it takes the paddle
    assert player.controls() == Controls(pointer_x=300.0)
    assert player.controls() == Controls(pointer_x=300.0)  # and keeps it while it rests
    fake.down = {w.KEY_RIGHT}
    assert player.controls() == Controls(right=True)  # until a key moves the paddle
    fake.down, fake.pressed = set(), {w.KEY_SPACE}
    assert player.controls() == Controls(launch=True, restart=True)
    fake.pressed, fake.clicked = {w.KEY_P}, True
    assert player.controls() == Controls(launch=True, pause=True, restart=True)
    fake.pressed, fake.clicked = {w.KEY_R}, False
    assert player.controls() == Controls(restart=True)


# --- the program, headless --------------------------------------------------------------------


def run_game(*options, env=None):
    return subprocess.run([sys.executable, str(GAME), *options], capture_output=True, text=True, timeout=120,
                          env=dict(os.environ) if env is None else env)


@pytest.fixture(scope="module")
def autoplay_runs(tmp_path_factory):
    folder = tmp_path_factory.mktemp("breakout")
    runs = [(run_game("--autoplay", "--frames", "360", "--out", str(folder / f"{i}.png")), folder / f"{i}.png")
            for i in (1, 2)]
    for run, _ in runs:
        assert run.returncode == 0, run.stderr
    return runs


def test_autoplay_always_plays_the_same_game(autoplay_runs):
    (first, first_png), (second, second_png) = autoplay_runs
    expected = {"frames": "360", "state": "playing", "score": "40", "lives": "3", "bricks left": "68",
                "ball": "537.1, 417.9", "picture": str(first_png)}
    assert summary(first.stdout) == expected
    assert first_png.read_bytes() == second_png.read_bytes()


def test_autoplay_picture_shows_the_game(window, autoplay_runs):
    picture = Picture(autoplay_runs[0][1])
    assert (picture.width, picture.height) == (800, 600)
    assert picture[40, 108] == colors.Crimson  # a brick of the top row
    assert picture[537, 418] == colors.White  # the ball, where the summary says
    assert picture[400, 350] == breakout.BACKGROUND
    # the score and the three lives are written at the top
    hud = sum(picture[x, y] != breakout.BACKGROUND for y in range(8, 36) for x in range(10, 790))
    assert 500 < hud < 5000
    assert [picture[x, 22] for x in (776, 754, 732, 710)] == [colors.White] * 3 + [breakout.BACKGROUND]


@pytest.mark.parametrize("options, expected", [
    (["--window", "--frames", "30"], {"frames": "30", "state": "ready", "ball": "400.0, 546.0"}),
    (["--window", "--autoplay", "--frames", "90"], {"frames": "90", "state": "playing", "score": "10"}),
])
def test_window_mode_plays_with_the_player_or_the_script(options, expected):
    """In a window (visible, under Xvfb) with nobody at the keys, the ball
    waits on the paddle, which stays in the middle; with --autoplay it plays."""
    run = run_game(*options)
    assert run.returncode == 0, run.stderr
    report = summary(run.stdout)
    assert {key: report[key] for key in expected} == expected and "picture" not in report


@pytest.mark.parametrize("options, message", [
    ([], "choose --window to play, or --autoplay to let it play by itself (headless without --window)"),
    (["--autoplay", "--frames", "0"], "argument --frames: must be at least 1, got 0"),
    (["--autoplay", "--out", "game.jpg"],
     "argument --out: the picture is written as PNG: the name must end in .png, got 'game.jpg'"),
])
def test_bad_options_are_refused_before_any_window(options, message):
    run = run_game(*options)
    assert (run.returncode, run.stdout) == (2, "")
    assert run.stderr.splitlines()[-1] == f"breakout.py: error: {message}"


def test_without_a_display_it_says_so_instead_of_crashing(tmp_path):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    run = run_game("--autoplay", "--frames", "1", "--out", str(tmp_path / "game.png"), env=env)
    assert run.returncode == 1 and not (tmp_path / "game.png").exists()
    assert run.stderr.splitlines()[-1] == (
        "breakout.py: raylib could not open a window (no display? headless, run it under xvfb-run)")
