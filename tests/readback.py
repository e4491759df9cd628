"""Reading a PNG that an example wrote back through korvex: loaded as a
texture, then into an Image whose pixels get_image_color reads (needs the
session's window)."""

from korvex.image.image import get_image_color, load_image_from_texture
from korvex.texture.texture import Texture


class Picture:
    def __init__(self, path):
        texture = Texture.load(str(path))
        try:
            self.image = load_image_from_texture(texture)
        finally:
            texture.unload()
        self.width, self.height = self.image.width, self.image.height

    def __getitem__(self, xy):
        return get_image_color(self.image, *xy)


def summary(stdout):
    """The end summary of an example as {label: value}: the lines from the
    one that starts with "frames:"."""
    lines = stdout.splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith("frames:"))
    return {label: value.strip() for label, _, value in (line.partition(":") for line in lines[start:])}
