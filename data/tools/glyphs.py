"""16 x 16 pictures: the six tree pictures and the tool-button pictures.

Every picture is crisp pixel art on a plain background, and its bottom-left
pixel is always that background, so a loader may use it as the transparent
colour.
"""
from canvas import Canvas, capsule, circle, grow, polygon, subtract, union, mix

TREE_BG = (255, 255, 255)   # the tree is drawn on white
BUTTON_BG = (240, 240, 240)  # the tool bar's button face


def from_map(rows, palette, background):
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), rows
    c = Canvas(16, 16, background)
    c.pixel_map(rows, palette)
    return c


def outlined(c, shape, fill, outline):
    """Crisp shape with a one-pixel outline drawn around it."""
    c.paint(grow(shape, 1.0), outline, crisp=True)
    c.paint(shape, fill, crisp=True)


# --- tree pictures (also the pictures of the four creation buttons) ---

def selected():
    # A bright pointer arrow: marks the node that is selected.
    rows = [
        "................",
        "................",
        "........k.......",
        "........kk......",
        "........kYk.....",
        ".kkkkkkkkYYk....",
        ".kWWWWWWWYYYk...",
        ".kYYYYYYYYYYYk..",
        ".kOOOOOOOOOOOk..",
        ".kOOOOOOOOOOk...",
        ".kkkkkkkkOOk....",
        "........kOk.....",
        "........kk......",
        "........k.......",
        "................",
        "................",
    ]
    pal = {'k': (176, 84, 0), 'W': (255, 236, 150), 'Y': (255, 196, 60), 'O': (245, 140, 20)}
    return from_map(rows, pal, TREE_BG)


def library():
    # A bookshelf with books of different colours and heights.
    rows = [
        "................",
        ".hhhhhhhhhhhhhh.",
        ".wwwwwwwwwwwwww.",
        ".wRrGgppPpppppw.",
        ".wRrGgBbPpYyppw.",
        ".wRrGgBbPpYyppw.",
        ".wRrGgBbPpYypbw.",
        ".wRrGgBbPpYybbw.",
        ".hhhhhhhhhhhhhh.",
        ".wBbppRrpPppppw.",
        ".wBbYyRrpPppppw.",
        ".wBbYyRrGPppppw.",
        ".wBbYyRrGPpGGGw.",
        ".wBbYyRrGPpgggw.",
        ".wwwwwwwwwwwwww.",
        ".w............w.",
    ]
    pal = {'h': (196, 134, 72), 'w': (132, 76, 32), 'p': (92, 54, 24),
           'R': (226, 72, 60), 'r': (170, 40, 36), 'G': (96, 180, 80), 'g': (50, 120, 44),
           'B': (80, 130, 220), 'b': (44, 80, 160), 'Y': (240, 200, 70), 'y': (190, 146, 30),
           'P': (160, 100, 200)}
    return from_map(rows, pal, TREE_BG)


def catalog():
    # A manila folder.
    rows = [
        "................",
        "................",
        ".ooooo..........",
        "oYYYYYo.........",
        "oYyyyyyoooooooo.",
        "oYYYYYYYYYYYYYYo",
        "oYyyyyyyyyyyyydo",
        "oYyyyyyyyyyyyydo",
        "oYyyyyyyyyyyyydo",
        "oYyyyyyyyyyyyydo",
        "oYyyyyyyyyyyyydo",
        "oYyyyyyyyyyyyydo",
        "oYdddddddddddddo",
        ".oooooooooooooo.",
        "................",
        "................",
    ]
    pal = {'o': (150, 98, 16), 'Y': (255, 236, 150), 'y': (250, 206, 86), 'd': (222, 170, 48)}
    return from_map(rows, pal, TREE_BG)


def journal():
    # A closed blue book with a title plate, the pages and a ribbon.
    rows = [
        "................",
        "..kkkkkkkkkkkk..",
        "..kSccccccccck..",
        "..kSCCCCCCCCCk..",
        "..kSCooooooCCk..",
        "..kSCoyyyyoCCk..",
        "..kSCooooooCCk..",
        "..kSCCCCCCCCCk..",
        "..kSCCCCCCCCCk..",
        "..kSCCCCCCCCCk..",
        "..kSCCCCCCCCCk..",
        "..kSkkkkkkkkkk..",
        "..kSwwwwwwwwwk..",
        "..kSllllllrllk..",
        "..kkkkkkkkrkkk..",
        "..........r.....",
    ]
    pal = {'k': (28, 34, 80), 'S': (36, 56, 130), 'c': (120, 150, 235), 'C': (70, 102, 205),
           'o': (214, 170, 50), 'y': (252, 240, 196), 'w': (252, 252, 244), 'l': (204, 204, 192),
           'r': (214, 40, 40)}
    return from_map(rows, pal, TREE_BG)


def day():
    # A crescent moon with a small star: one night.
    c = Canvas(16, 16, TREE_BG)
    moon = subtract(circle(7.0, 8.5, 6.2), circle(10.6, 6.4, 5.4))
    outlined(c, moon, (250, 206, 60), (190, 120, 10))
    star = [(12, 5), (12, 7), (11, 6), (13, 6)]
    for x, y in star:
        c.set(x, y, (230, 170, 20))
    c.set(12, 6, (255, 240, 170))
    c.set(13, 3, (230, 170, 20))
    return c


def dream():
    # A small cloud with a star above it: one dream.
    c = Canvas(16, 16, TREE_BG)
    cloud = union(circle(5.0, 10.0, 3.2), circle(8.6, 8.2, 4.0), circle(12.0, 10.6, 2.8),
                  capsule(5.0, 11.4, 12.0, 11.4, 1.9))
    outlined(c, cloud, (214, 228, 252), (70, 100, 170))
    # Light on the top of the cloud.
    for x, y in [(7, 6), (8, 5), (9, 5), (4, 8), (5, 8)]:
        c.set(x, y, (250, 252, 255))
    star = [(3, 1), (3, 2), (3, 3), (2, 2), (4, 2)]
    for x, y in star:
        c.set(x, y, (235, 170, 20))
    c.set(3, 2, (255, 240, 170))
    return c


TREE = {'selected': selected, 'library': library, 'catalog': catalog,
        'journal': journal, 'day': day, 'dream': dream}


# --- tool-button pictures ---

def authorization():
    rows = [
        "................",
        "................",
        "..kkkk..........",
        ".kYYYYk.........",
        "kYWkkYYk........",
        "kYk..kYk........",
        "kYk..kYkkkkkkkk.",
        "kYYkkYYYYYYYYYYk",
        "kYYYYYOOOOOOOOOk",
        ".kYYYOkkkkkOkOk.",
        "..kkkk....kOkOk.",
        "...........kk.k.",
        "................",
        "................",
        "................",
        "................",
    ]
    pal = {'k': (128, 84, 10), 'Y': (246, 200, 60), 'W': (255, 244, 190), 'O': (210, 150, 30)}
    return from_map(rows, pal, BUTTON_BG)


def save():
    rows = [
        "................",
        ".kkkkkkkkkkkkk..",
        ".kBBmmmmmmmmBBk.",
        ".kBBmmmmmMMmBBk.",
        ".kBBmmmmmMMmBBk.",
        ".kBBmmmmmmmmBBk.",
        ".kBBBBBBBBBBBBk.",
        ".kBBBBBBBBBBBBk.",
        ".kBwwwwwwwwwwBk.",
        ".kBwllllllllwBk.",
        ".kBwwwwwwwwwwBk.",
        ".kBwllllllllwBk.",
        ".kBwwwwwwwwwwBk.",
        ".kBwwwwwwwwwwBk.",
        ".kkkkkkkkkkkkkk.",
        "................",
    ]
    pal = {'k': (20, 30, 70), 'B': (50, 80, 160), 'm': (190, 196, 206), 'M': (60, 66, 80),
           'w': (252, 252, 252), 'l': (150, 170, 210)}
    return from_map(rows, pal, BUTTON_BG)


def about():
    c = Canvas(16, 16, BUTTON_BG)
    outlined(c, circle(8.0, 8.0, 6.3), (60, 120, 220), (24, 60, 140))
    for x, y in ((4, 5), (4, 6), (5, 4), (6, 4), (5, 5)):  # gloss
        c.set(x, y, (130, 178, 246))
    c.pixel_map(["..WW.",
                 "..WW.",
                 ".....",
                 ".WWW.",
                 "..WW.",
                 "..WW.",
                 "..WW.",
                 ".WWWW"], {'W': (255, 255, 255)}, 6, 4)
    return c


def exit_():
    # An open door, the doorway dark, and an arrow leaving through it.
    rows = [
        "................",
        "..kkkkkkkkkk....",
        "..kDbbbbbbbk....",
        "..kDDbbbbbbk....",
        "..kDDDbbbbbk....",
        "..kDDDDbbbbk....",
        "..kDDDDbbbbkg...",
        "..kDDDDgggggGg..",
        "..kDDDDGGGGGGGg.",
        "..kDDDDgggggGg..",
        "..kDoDDbbbbkg...",
        "..kDDDDbbbbk....",
        "..kDDDDbbbbk....",
        "..kDDDbbbbbk....",
        "..kkkkkkkkkk....",
        "................",
    ]
    pal = {'k': (96, 54, 20), 'D': (176, 112, 56), 'b': (44, 40, 60), 'o': (250, 210, 80),
           'G': (90, 200, 80), 'g': (24, 120, 36)}
    return from_map(rows, pal, BUTTON_BG)


def _arrow_up():
    rows = [
        "................",
        "................",
        ".......kk.......",
        "......kGGk......",
        ".....kGGGGk.....",
        "....kGGGGGGk....",
        "...kGGGGGGGGk...",
        "..kkkkGGGGkkkk..",
        ".....kGGGGk.....",
        ".....kGGGGk.....",
        ".....kggggk.....",
        ".....kggggk.....",
        ".....kkkkkk.....",
        "................",
        "................",
        "................",
    ]
    return rows


ARROW_PAL = {'k': (24, 90, 30), 'G': (90, 196, 90), 'g': (56, 160, 60)}


def moveup():
    return from_map(_arrow_up(), ARROW_PAL, BUTTON_BG)


def movedown():
    rows = list(reversed(_arrow_up()))
    rows = rows[1:] + rows[:1]  # keep the arrow centred like the upward one
    rows = [r.replace('g', 'x').replace('G', 'g').replace('x', 'G') for r in rows]
    return from_map(rows, ARROW_PAL, BUTTON_BG)


def delete():
    c = Canvas(16, 16, BUTTON_BG)
    cross = union(capsule(4.0, 4.0, 12.0, 12.0, 1.7), capsule(12.0, 4.0, 4.0, 12.0, 1.7))
    outlined(c, cross, (226, 48, 40), (130, 16, 12))
    return c


def disabled(c):
    """Greyed copy of a button picture: light grey shape with a white emboss."""
    bg = c.get(0, c.height - 1)
    out = Canvas(c.width, c.height, bg)
    for y in range(c.height):
        for x in range(c.width):
            p = c.get(x, y)
            if p != bg:
                lum = 0.3 * p[0] + 0.59 * p[1] + 0.11 * p[2]
                g = int(120 + lum * 0.32)
                out.set(x, y, (g, g, g))
    # White emboss to the lower right, as greyed tool pictures usually are.
    for y in range(c.height - 1, 0, -1):
        for x in range(c.width - 1, 0, -1):
            if out.get(x, y) == bg and c.get(x - 1, y - 1) != bg:
                out.set(x, y, (255, 255, 255))
    return out


def copy_graph():
    # Two sheets, the front one holding a small bar chart: the chart goes to the clipboard.
    rows = [
        "................",
        "................",
        "..kkkkkkk.......",
        "..kwwwwwk.......",
        "..kwwwwwk.......",
        "..kwwkkkkkkkk...",
        "..kwwkwwwwwwk...",
        "..kwwkwwwwwbk...",
        "..kwwkwwwbwbk...",
        "..kkkkwbwbwbk...",
        ".....kwbwbwbk...",
        ".....kwwwwwwk...",
        ".....kkkkkkkk...",
        "................",
        "................",
        "................",
    ]
    pal = {'k': (40, 50, 90), 'w': (255, 255, 255), 'b': (200, 40, 40)}
    return from_map(rows, pal, BUTTON_BG)


def refresh_graph():
    # A circular arrow: draw the chart again.
    c = Canvas(16, 16, BUTTON_BG)
    ring = subtract(subtract(circle(7.5, 7.5, 5.2), circle(7.5, 7.5, 3.2)), polygon([(7.5, 7.5), (13, 1), (13, 7.5)]))
    c.paint(ring, (24, 110, 40), crisp=True)
    c.paint(polygon([(9.0, 1.0), (13.5, 4.5), (9.0, 7.0)]), (24, 110, 40), crisp=True)
    return c


UI = {'authorization': authorization, 'save': save, 'about': about, 'exit': exit_,
      'moveup': moveup, 'movedown': movedown, 'delete': delete,
      'copy_graph': copy_graph, 'refresh_graph': refresh_graph}
DISABLED = ('moveup', 'movedown', 'delete')
