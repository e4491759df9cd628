"""The particle demo (examples/particles.py), run small: the picture it writes,
its determinism, and how it refuses bad options."""

import os
import subprocess
import sys
from pathlib import Path

import pytest

from korvex.color.color import Color
from readback import Picture, summary
from support import python_output

DEMO = Path(__file__).resolve().parent.parent / "examples" / "particles.py"
BACKGROUND = Color(10, 12, 24)
SIZE = (640, 480)


@pytest.fixture(scope="module")
def read_png(window):
    return Picture


def run_demo(*options, env=None):
    return subprocess.run(
        [sys.executable, str(DEMO), *options],
        capture_output=True,
        text=True,
        timeout=300,
        env=dict(os.environ) if env is None else env,
    )


def small_run(out, seed):
    size = f"{SIZE[0]}x{SIZE[1]}"
    run = run_demo("--particles", "300", "--frames", "6", "--seed", str(seed), "--size", size, "--out", str(out))
    assert run.returncode == 0, run.stderr
    return run


@pytest.fixture(scope="module")
def two_runs(tmp_path_factory):
    folder = tmp_path_factory.mktemp("demo")
    return [(small_run(folder / f"run{i}" / "scene.png", seed=5), folder / f"run{i}" / "scene.png") for i in (1, 2)]


def test_writes_the_asked_size_with_a_scene_on_it(two_runs, read_png):
    run, png = two_runs[0]
    picture = read_png(png)
    assert (picture.width, picture.height) == SIZE
    drawn = sum(picture[x, y] != BACKGROUND for y in range(0, SIZE[1], 2) for x in range(0, SIZE[0], 2))
    # the obstacles alone cover about a tenth of the picture (counted on every fourth pixel)
    assert drawn > SIZE[0] * SIZE[1] // 80
    # opaque everywhere: translucent shapes blend over the picture without thinning it
    assert all(picture[x, y].a == 255 for y in range(0, SIZE[1], 7) for x in range(0, SIZE[0], 7))
    assert run.stdout.splitlines()[-1].split() == ["picture:", str(png)]


def test_picture_is_the_right_way_up(two_runs, read_png):
    # Render textures are stored bottom row first. The obstacle at the top
    # left is a wide one outlined in Plum, the one at the bottom left a tall
    # one: its top edge is a long Plum line only where the picture was
    # turned right way up before export.
    picture = read_png(two_runs[0][1])
    plum = Color(221, 160, 221)

    def plum_pixels(y):
        return sum(picture[x, y] == plum for x in range(30, 100))

    assert plum_pixels(57) > 40
    assert plum_pixels(picture.height - 1 - 57) < 10


def test_summary_reports_the_run(two_runs):
    report = summary(two_runs[0][0].stdout)
    assert report["frames"] == "6" and report["particles"] == "300"
    for timing in ("simulation", "draw calls", "GPU flush"):
        assert report[timing].endswith(" ms per frame")
    assert int(report["wall bounces"]) >= 0 and int(report["obstacle hits"]) >= 0
    progress = [line for line in two_runs[0][0].stdout.splitlines() if line.startswith("frame ")]
    assert progress[-1].startswith("frame 6 of 6, ") and progress[-1].endswith(" fps")


def test_one_seed_gives_one_picture_and_one_simulation(two_runs, tmp_path):
    (first, first_png), (second, second_png) = two_runs
    assert first_png.read_bytes() == second_png.read_bytes()
    timing = ("simulation", "draw calls", "GPU flush", "picture")
    same = {k: v for k, v in summary(first.stdout).items() if k not in timing}
    assert same == {k: v for k, v in summary(second.stdout).items() if k not in timing}

    other = small_run(tmp_path / "other.png", seed=6)
    assert (tmp_path / "other.png").read_bytes() != first_png.read_bytes()
    assert summary(other.stdout)["obstacle hits"] != summary(first.stdout)["obstacle hits"] or (
        summary(other.stdout)["wall bounces"] != summary(first.stdout)["wall bounces"]
    )


@pytest.mark.parametrize(
    "options, message",
    [
        (["--particles", "0"], "argument --particles: must be at least 1, got 0"),
        (["--frames", "-3"], "argument --frames: must be at least 1, got -3"),
        (["--frames", "ten"], "argument --frames: not a whole number: 'ten'"),
        (["--size", "639x480"], "argument --size: must be from 640x480 up to 8192x8192, got '639x480'"),
        (["--size", "640x479"], "argument --size: must be from 640x480 up to 8192x8192, got '640x479'"),
        (["--size", "8193x600"], "argument --size: must be from 640x480 up to 8192x8192, got '8193x600'"),
        (["--size", "800"], "argument --size: expected WIDTHxHEIGHT, e.g. 800x600, got '800'"),
        (["--size", "axb"], "argument --size: expected WIDTHxHEIGHT, e.g. 800x600, got 'axb'"),
        (["--out", "scene.jpg"], "argument --out: the picture is written as PNG: the name must end in .png, got 'scene.jpg'"),
        (["--seed", "1.5"], "argument --seed: invalid int value: '1.5'"),
    ],
)
def test_bad_options_are_refused_before_any_window(options, message):
    run = run_demo(*options)
    assert run.returncode == 2
    assert run.stderr.splitlines()[-1] == f"particles.py: error: {message}"
    assert run.stdout == ""


def test_an_unwritable_picture_path_is_reported(tmp_path):
    blocker = tmp_path / "file"
    blocker.write_text("")
    run = run_demo("--particles", "10", "--frames", "1", "--out", str(blocker / "scene.png"))
    assert run.returncode == 1
    assert run.stderr.splitlines()[-1].startswith("particles.py: cannot create the folder for the picture: ")
    assert "Traceback" not in run.stderr and not (blocker / "scene.png").exists()


def test_without_a_display_it_says_so_instead_of_crashing(tmp_path):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    run = run_demo("--frames", "1", "--out", str(tmp_path / "scene.png"), env=env)
    assert run.returncode == 1
    no_window = "particles.py: raylib could not open a window (no display? run it through `make demo`)"
    assert run.stderr.splitlines()[-1] == no_window
    assert not (tmp_path / "scene.png").exists()


def test_draws_through_korvex_alone(tmp_path):
    """No ctypes: the window, the drawing and the readback are korvex's."""
    code = (
        "import atexit, runpy, sys\n"
        "atexit.register(lambda: print('ctypes loaded:', 'ctypes' in sys.modules))\n"
        f"sys.argv = ['particles.py', '--particles', '20', '--frames', '2', '--out', {str(tmp_path / 'p.png')!r}]\n"
        f"runpy.run_path({str(DEMO)!r}, run_name='__main__')\n"
    )
    assert python_output(code).splitlines()[-1] == "ctypes loaded: False"


# Paints the same scene, frame after frame, into two render textures: through
# the demo's Painter (korvex.draw, batches) and through the painter that
# makes raylib's calls one shape at a time (bench/demo_frame.py), then writes
# both pictures.
BOTH_PAINTERS = """
import sys
sys.path[:0] = [{examples!r}, {bench!r}]
import korvex.window.window as window
from korvex.canvas.canvas import RenderTexture
import particles, demo_frame

window.set_trace_log_level(window.LOG_WARNING)
window.set_config_flags(window.FLAG_WINDOW_HIDDEN)
window.init_window(64, 64, "two painters")
scene = particles.Scene(640, 480, 400, seed=3)
painters = [(particles.Painter(scene), RenderTexture(640, 480)), (demo_frame.CtypesPainter(scene), RenderTexture(640, 480))]
for _ in range(30):
    scene.step()
    for painter, target in painters:
        with target, particles.OpaqueBlending():
            painter.draw()
for (_, target), name in zip(painters, ("batched", "one_by_one")):
    assert particles.export_png(target, {out!r} + "/" + name + ".png")
    target.unload()
window.close_window()
print("flares at the end:", sum(1 for particle in scene.particles if particle.flare))
"""


def test_batched_picture_equals_the_one_by_one_picture(tmp_path):
    code = BOTH_PAINTERS.format(examples=str(DEMO.parent), bench=str(DEMO.parent.parent / "bench"), out=str(tmp_path))
    assert int(python_output(code).split(":")[-1]) > 10  # flares drawn between bodies, in the batch
    assert (tmp_path / "batched.png").read_bytes() == (tmp_path / "one_by_one.png").read_bytes()
