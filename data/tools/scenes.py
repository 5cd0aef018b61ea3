"""The larger pictures: the blank dream picture, the example dream's picture,
the banner and the window icon."""
import math
import random

from canvas import Canvas, box, capsule, circle, ellipse, mix, polygon, subtract, union

NIGHT_TOP = (8, 10, 36)
NIGHT_MID = (28, 26, 78)
NIGHT_LOW = (74, 50, 112)
MOON = (252, 240, 196)


def stars(c, rng, count, y_max, small=(140, 230), big_every=9):
    for i in range(count):
        x, y = rng.randrange(c.width), rng.randrange(y_max)
        v = rng.randint(*small)
        tint = rng.choice([(0, 0, 0), (0, 0, 20), (20, 10, 0)])
        col = tuple(min(255, v + t) for t in tint)
        c.blend(x, y, col, 0.9)
        if i % big_every == 0:
            # A brighter star with a faint cross.
            c.set(x, y, (255, 255, 240))
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                c.blend(x + dx, y + dy, (200, 210, 255), 0.45)


def glow(c, cx, cy, r0, r1, color, strength):
    """Soft halo between radius r0 (full) and r1 (none)."""
    for y in range(max(0, int(cy - r1)), min(c.height, int(cy + r1) + 1)):
        for x in range(max(0, int(cx - r1)), min(c.width, int(cx + r1) + 1)):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d < r1:
                t = 1.0 if d <= r0 else (1.0 - (d - r0) / (r1 - r0)) ** 2
                c.blend(x, y, color, t * strength)


def empty():
    """Shown for a dream without a picture: light, with a faint frame and sign."""
    bg, faint = (246, 245, 240), (226, 224, 216)
    c = Canvas(140, 140, bg)
    c.frame(0, 0, 140, 140, faint)
    c.frame(3, 3, 137, 137, (236, 234, 228))
    # A faint picture sign in the middle: a frame with hills and a moon.
    sign = (218, 216, 206)
    c.paint(subtract(box(46, 50, 94, 88, 3), box(49, 53, 91, 85, 1)), sign)
    c.paint(polygon([(50, 85), (62, 68), (70, 77), (77, 70), (90, 85)]), sign)
    c.paint(circle(82, 61, 4.2), sign)
    return c


def city(c, rng, base, color, window_color, lit_ratio):
    x = -2
    while x < c.width:
        w = rng.randint(8, 16)
        h = rng.randint(14, 40)
        top = base - h
        c.fill_rect(x, top, x + w, c.height, color)
        if rng.random() < 0.3:  # a spire or a roof aerial
            c.fill_rect(x + w // 2, top - rng.randint(3, 7), x + w // 2 + 1, top, color)
        for wy in range(top + 3, c.height - 2, 4):
            for wx in range(x + 2, x + w - 2, 3):
                if rng.random() < lit_ratio:
                    c.set(wx, wy, window_color)
                    c.set(wx, wy + 1, mix(window_color, color, 0.4))
        x += w + rng.randint(0, 3)


def flight():
    """The example dream: a figure flying over a city at night, before the moon."""
    rng = random.Random(7)
    c = Canvas(140, 140)
    c.vertical_gradient([(0.0, NIGHT_TOP), (0.55, NIGHT_MID), (1.0, NIGHT_LOW)])
    stars(c, rng, 70, 110)
    mx, my, k = 92, 46, 1.25  # the moon's centre and the scale of what stands before it

    def at(x, y):
        return mx + (x - 92) * k, my + (y - 44) * k

    glow(c, mx, my, 27, 62, (120, 110, 170), 0.5)
    c.paint(circle(mx, my, 23 * k), MOON)
    # A few soft moon seas.
    for x, y, r in ((84, 38, 5), (100, 52, 6), (97, 33, 3)):
        c.paint(circle(*at(x, y), r * k), (232, 220, 178), opacity=0.7)

    # The flyer: lying on the air, one arm reaching forward, a cape streaming behind.
    cape = [(98, 40.5), (90, 38.5), (80, 37.0), (70, 39.5), (76, 41.0),
            (66, 44.5), (78, 44.5), (88, 45.5), (96, 44.0)]
    c.paint(polygon([at(x, y) for x, y in cape]), (128, 26, 52))
    limbs = [((83.0, 47.5), (97.5, 42.5), 3.3),   # torso
             ((99.0, 41.5), (114.0, 35.0), 1.5),  # arm reaching forward
             ((84.0, 47.0), (69.5, 49.0), 2.0),   # leg
             ((84.0, 48.5), (71.0, 54.0), 1.9)]   # other leg, bent away
    body = union(circle(*at(103.5, 39.5), 3.9 * k),
                 *(capsule(*at(*p), *at(*q), r * k) for p, q, r in limbs))
    c.paint(body, (20, 16, 44))
    # A thin cloud band over the lower part of the moon.
    c.paint(union(ellipse(70, 72, 30, 3.2), ellipse(112, 76, 24, 2.6)), (150, 130, 190), opacity=0.55)

    # Hills and the sleeping city.
    c.paint(union(ellipse(20, 150, 60, 40), ellipse(120, 156, 70, 44)), (34, 28, 70))
    city(c, rng, 138, (12, 12, 30), (255, 214, 110), 0.22)
    # A bird far away, for scale.
    c.paint(union(capsule(30, 30, 34, 32, 0.6), capsule(34, 32, 38, 29.5, 0.6)), (210, 210, 240), opacity=0.8)
    return c


# A 5 x 7 pixel font, just the letters of the program's name.
FONT = {
    'V': ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
    'e': [".....", ".....", ".XXX.", "X...X", "XXXXX", "X....", ".XXX."],
    'l': [".XX..", "..X..", "..X..", "..X..", "..X..", "..X..", ".XXX."],
    'm': [".....", ".....", "XX.X.", "X.X.X", "X.X.X", "X.X.X", "X.X.X"],
    'o': [".....", ".....", ".XXX.", "X...X", "X...X", "X...X", ".XXX."],
    'r': [".....", ".....", "X.XX.", "XX..X", "X....", "X....", "X...."],
    'a': [".....", ".....", ".XXX.", "....X", ".XXXX", "X...X", ".XXXX"],
}


def text_cells(word, scale, ox, oy):
    """The rectangles (x0, y0, x1, y1) of the word's lit font cells."""
    cells = []
    for n, ch in enumerate(word):
        for j, row in enumerate(FONT[ch]):
            for i, bit in enumerate(row):
                if bit == 'X':
                    x = ox + (n * 6 + i) * scale
                    y = oy + j * scale
                    cells.append((x, y, x + scale, y + scale))
    return cells


def banner():
    rng = random.Random(2026)
    c = Canvas(468, 60)
    c.vertical_gradient([(0.0, NIGHT_TOP), (0.6, NIGHT_MID), (1.0, NIGHT_LOW)])
    # Lighter sky towards the moon on the right.
    glow(c, 420, 28, 10, 150, (70, 70, 140), 0.35)
    stars(c, rng, 150, 60, big_every=11)
    glow(c, 420, 28, 8, 40, (150, 140, 200), 0.4)
    c.paint(subtract(circle(420, 28, 17), circle(429, 21, 15)), MOON)
    for sx, sy in ((444, 12), (398, 44)):
        c.set(sx, sy, (255, 255, 240))
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            c.blend(sx + dx, sy + dy, (220, 220, 255), 0.6)
    # Low clouds along the bottom edge.
    clouds = union(*(ellipse(x, 62 + (x % 7), 34 + (x % 23), 7 + (x % 5)) for x in range(0, 480, 37)))
    c.paint(clouds, (90, 70, 140), opacity=0.5)

    scale, ox, oy = 4, 22, 15
    cells = text_cells('Velmora', scale, ox, oy)
    for x0, y0, x1, y1 in cells:  # a soft violet glow behind the letters
        glow(c, (x0 + x1) / 2, (y0 + y1) / 2, 1, 9, (140, 110, 220), 0.06)
    for x0, y0, x1, y1 in cells:  # shadow
        c.fill_rect(x0 + 2, y0 + 2, x1 + 2, y1 + 2, (10, 8, 30))
    for x0, y0, x1, y1 in cells:
        for y in range(y0, y1):
            t = (y - oy) / (7 * scale)
            c.fill_rect(x0, y, x1, y + 1, mix((255, 240, 190), (236, 186, 92), t))
    return c


def window_icon(size=32):
    """size x size with alpha: a night-blue rounded square with the crescent moon.
    Drawn on a 32-unit grid; at 32 pixels the stars are single pixels."""
    s = size / 32

    def scaled(f):
        return lambda x, y: f(x / s, y / s) * s

    rng = random.Random(5)
    c = Canvas(size, size, (0, 0, 0), alpha=True)
    tile = scaled(box(1, 1, 31, 31, 6))
    for y in range(size):
        col = mix((30, 34, 96), (10, 12, 40), y / (size - 1))
        c.paint(tile, col, bbox=(0, y, size, y + 1))
    for _ in range(10):
        x, y = rng.randrange(5, 27), rng.randrange(5, 27)
        if size == 32:
            c.blend(x, y, (230, 230, 255), 0.8)
        else:
            c.paint(scaled(circle(x + 0.5, y + 0.5, 0.56)), (230, 230, 255), opacity=0.8)
    moon = subtract(circle(14.5, 16.5, 10.0), circle(19.5, 12.0, 8.6))
    c.paint(scaled(moon), (250, 214, 90))
    c.paint(scaled(circle(22.5, 11.5, 1.2)), (255, 246, 200))
    c.paint(scaled(capsule(20.0, 11.5, 25.0, 11.5, 0.45)), (255, 246, 200))
    c.paint(scaled(capsule(22.5, 9.0, 22.5, 14.0, 0.45)), (255, 246, 200))
    return c


def about():
    """The about box's picture, 233 x 296: a night over a sleeping town, a full moon among clouds."""
    rng = random.Random(1251)
    c = Canvas(233, 296)
    # Pale at the top, where the program's name stands over the picture, deepening into the night.
    c.vertical_gradient([(0.0, (236, 234, 248)), (0.2, (176, 170, 222)), (0.42, NIGHT_MID), (1.0, NIGHT_LOW)])
    stars(c, rng, 90, 220)
    mx, my = 120, 132
    glow(c, mx, my, 30, 95, (120, 110, 170), 0.45)
    c.paint(circle(mx, my, 34), MOON)
    for x, y, r in ((108, 120, 7), (131, 141, 9), (126, 115, 4), (104, 146, 3.5)):
        c.paint(circle(x, y, r), (232, 220, 178), opacity=0.7)
    # Cloud bands drifting across the moon and the sky.
    c.paint(union(ellipse(70, 160, 60, 5), ellipse(170, 168, 50, 4)), (150, 130, 190), opacity=0.55)
    c.paint(union(ellipse(40, 96, 36, 3), ellipse(200, 84, 30, 3)), (110, 96, 170), opacity=0.45)
    # A figure drifting up towards the moon.
    body = union(circle(76, 196, 4.5),
                 capsule(76, 201, 70, 214, 3.4),
                 capsule(75, 203, 88, 196, 1.6),
                 capsule(70, 214, 62, 224, 2.1),
                 capsule(71, 214, 67, 226, 2.0))
    c.paint(body, (20, 16, 44))
    # Hills and the town asleep, a few windows still lit.
    c.paint(union(ellipse(30, 300, 90, 46), ellipse(190, 306, 100, 50)), (34, 28, 70))
    city(c, rng, 282, (12, 12, 30), (255, 214, 110), 0.12)
    return c
