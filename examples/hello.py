import korvex.window.window as window
from korvex.colors.colors import colors
from korvex.draw.draw import draw_circle_v, draw_text
from korvex.vector2.vector2 import Vector2

window.init_window(800, 450, "korvex: a moving circle")
window.set_target_fps(60)
ball, velocity, radius = Vector2(400, 225), Vector2(240, 150), 30
while not window.window_should_close():  # Esc or the close button
    ball += velocity * window.get_frame_time()
    if not radius <= ball.x <= 800 - radius:  # bounce off the sides
        velocity.x, ball.x = -velocity.x, min(max(ball.x, radius), 800 - radius)
    if not radius <= ball.y <= 450 - radius:
        velocity.y, ball.y = -velocity.y, min(max(ball.y, radius), 450 - radius)
    with window.drawing():
        window.clear_background(colors.White)
        draw_circle_v(ball, radius, colors.Maroon)
        draw_text("korvex alone: window, frame, circle", 10, 10, 20, colors.DimGray)
window.close_window()
