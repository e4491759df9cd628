"""The README's first program (examples/hello.py): the tour shows it as it
is, it stays short, and it runs: a window, a frame loop, a moving circle."""

from pathlib import Path

from support import python_output

REPOSITORY = Path(__file__).resolve().parent.parent
HELLO = REPOSITORY / "examples" / "hello.py"

# Runs hello.py for FRAMES frames in a hidden window: window_should_close()
# answers True after them, and draw_circle_v records where it draws.
RUN_HELLO = """
import runpy
import korvex.window.window as window
import korvex.draw.draw as draw

FRAMES, centres = {frames}, []
draw_circle_v = draw.draw_circle_v

def recording_circle(center, radius, colour):
    centres.append((center.x, center.y, radius))
    draw_circle_v(center, radius, colour)

draw.draw_circle_v = recording_circle
window.window_should_close = lambda: len(centres) >= FRAMES
window.set_config_flags(window.FLAG_WINDOW_HIDDEN)
runpy.run_path({path!r}, run_name="__main__")
print(centres)
print("window open after the program:", window.is_window_ready())
"""


def test_readme_tour_starts_with_the_program():
    readme = (REPOSITORY / "README.md").read_text()
    tour = readme[readme.index("## A tour"):]
    first_block = tour.split("```python\n", 1)[1].split("```", 1)[0]
    assert first_block == HELLO.read_text()
    assert len(first_block.splitlines()) <= 20


def test_hello_opens_a_window_and_moves_a_circle():
    frames = 20
    out = python_output(RUN_HELLO.format(frames=frames, path=str(HELLO)), timeout=60)
    centres_line, closed_line = out.splitlines()[-2:]
    centres = eval(centres_line)
    assert len(centres) == frames and closed_line == "window open after the program: False"
    assert all(radius == 30 and 30 <= x <= 770 and 30 <= y <= 420 for x, y, radius in centres)
    steps = [(x2 - x1, y2 - y1) for (x1, y1, _), (x2, y2, _) in zip(centres, centres[1:])]
    # no bounce in a third of a second from the middle: it moves along its velocity (240, 150) px/s
    assert sum(dx for dx, _ in steps) > 30
    assert all(dx >= 0 and abs(dx * 150 - dy * 240) < 1e-2 * max(dx, 1) * 240 for dx, dy in steps)
