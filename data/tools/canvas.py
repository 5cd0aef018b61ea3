"""A tiny RGB canvas with the few drawing primitives the pictures need, and
writers for uncompressed 24-bit Windows BMP and RGBA PNG files.

Standard library only: the build machines have no imaging library.
"""
import math
import struct
import zlib


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def mix(a, b, t):
    """Colour a blended towards colour b by t (0..1)."""
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


class Canvas:
    def __init__(self, width, height, background=(255, 255, 255), alpha=False):
        self.width = width
        self.height = height
        self.px = [[tuple(background) for _ in range(width)] for _ in range(height)]
        # Only the PNG icon uses an alpha plane; BMP files are written opaque.
        self.alpha = [[255 if not alpha else 0] * width for _ in range(height)] if alpha else None

    def set(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = tuple(color)
            if self.alpha is not None:
                self.alpha[y][x] = 255

    def get(self, x, y):
        return self.px[y][x]

    def blend(self, x, y, color, t):
        if t <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        if self.alpha is not None:
            # Compose over whatever coverage the pixel already has.
            a0 = self.alpha[y][x] / 255.0
            a = t + a0 * (1.0 - t)
            if a > 0:
                base = self.px[y][x]
                self.px[y][x] = tuple(int(round((c * t + b * a0 * (1.0 - t)) / a))
                                      for c, b in zip(color, base))
            self.alpha[y][x] = int(round(a * 255))
        else:
            self.px[y][x] = mix(self.px[y][x], color, clamp01(t))

    # --- shapes given by a signed distance (negative inside), anti-aliased ---
    def paint(self, sdf, color, bbox=None, opacity=1.0, crisp=False):
        x0, y0, x1, y1 = bbox if bbox else (0, 0, self.width, self.height)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.width, int(math.ceil(x1))), min(self.height, int(math.ceil(y1)))
        for y in range(y0, y1):
            for x in range(x0, x1):
                d = sdf(x + 0.5, y + 0.5)
                cov = (1.0 if d <= 0 else 0.0) if crisp else clamp01(0.5 - d)
                if cov > 0:
                    self.blend(x, y, color, cov * opacity)

    def fill_rect(self, x0, y0, x1, y1, color):
        """Fills the pixels x0..x1-1, y0..y1-1."""
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                self.set(x, y, color)

    def frame(self, x0, y0, x1, y1, color):
        """One-pixel outline of the rectangle x0..x1-1, y0..y1-1."""
        for x in range(x0, x1):
            self.set(x, y0, color)
            self.set(x, y1 - 1, color)
        for y in range(y0, y1):
            self.set(x0, y, color)
            self.set(x1 - 1, y, color)

    def pixel_map(self, rows, palette, ox=0, oy=0):
        """Draws a character map; characters missing from the palette stay untouched."""
        for j, row in enumerate(rows):
            for i, ch in enumerate(row):
                if ch in palette:
                    self.set(ox + i, oy + j, palette[ch])

    def vertical_gradient(self, stops):
        """stops: list of (position 0..1, colour)."""
        for y in range(self.height):
            t = y / max(1, self.height - 1)
            for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
                if p0 <= t <= p1:
                    c = mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 0)
                    break
            for x in range(self.width):
                self.set(x, y, c)

    def map_pixels(self, fn):
        for y in range(self.height):
            for x in range(self.width):
                self.px[y][x] = tuple(fn(self.px[y][x]))

    # --- writers ---
    def save_bmp(self, path):
        row_bytes = self.width * 3
        pad = (4 - row_bytes % 4) % 4
        image_size = (row_bytes + pad) * self.height
        header = struct.pack('<2sIHHI', b'BM', 54 + image_size, 0, 0, 54)
        info = struct.pack('<IiiHHIIiiII', 40, self.width, self.height, 1, 24, 0,
                           image_size, 2835, 2835, 0, 0)
        body = bytearray()
        for y in range(self.height - 1, -1, -1):  # bottom-up
            for r, g, b in self.px[y]:
                body += bytes((b, g, r))
            body += b'\0' * pad
        with open(path, 'wb') as f:
            f.write(header + info + bytes(body))

    def save_png(self, path):
        raw = bytearray()
        for y in range(self.height):
            raw.append(0)  # filter: none
            for x in range(self.width):
                r, g, b = self.px[y][x]
                a = self.alpha[y][x] if self.alpha is not None else 255
                raw += bytes((r, g, b, a))

        def chunk(kind, data):
            return (struct.pack('>I', len(data)) + kind + data
                    + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))
        ihdr = struct.pack('>IIBBBBB', self.width, self.height, 8, 6, 0, 0, 0)
        with open(path, 'wb') as f:
            f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr)
                    + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


# --- signed distance helpers ---
def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse(cx, cy, rx, ry):
    # Approximate distance: good enough for anti-aliasing small ellipses.
    def f(x, y):
        k = math.hypot((x - cx) / rx, (y - cy) / ry)
        return (k - 1.0) * min(rx, ry)
    return f


def capsule(ax, ay, bx, by, r):
    def f(x, y):
        dx, dy = bx - ax, by - ay
        ll = dx * dx + dy * dy
        t = 0.0 if ll == 0 else clamp01(((x - ax) * dx + (y - ay) * dy) / ll)
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - r
    return f


def box(x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0), max(qy, 0))
        return outside + min(max(qx, qy), 0) - radius
    return f


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def grow(f, amount):
    return lambda x, y: f(x, y) - amount


def polygon(points):
    """Signed distance to a simple polygon (even-odd inside test)."""
    def f(x, y):
        d = float('inf')
        inside = False
        n = len(points)
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            d = min(d, capsule(ax, ay, bx, by, 0)(x, y))
            if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                inside = not inside
        return -d if inside else d
    return f
