#!/usr/bin/env python3
"""Writes every picture of the starter library and of the window design.

Run from anywhere: python3 data/tools/make_pictures.py
The output is committed; run again only after changing a drawing.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the data folder free of caches
sys.path.insert(0, HERE)

import glyphs  # noqa: E402
import scenes  # noqa: E402

DATA = os.path.dirname(HERE)


def out(*parts):
    path = os.path.join(DATA, *parts)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    return path


ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


def main():
    for name, draw in glyphs.TREE.items():
        picture = draw()
        assert picture.get(0, 15) == glyphs.TREE_BG, name  # the transparent colour
        picture.save_bmp(out('icons', name + '.bmp'))
    for name, draw in glyphs.UI.items():
        picture = draw()
        assert picture.get(0, 15) == glyphs.BUTTON_BG, name
        picture.save_bmp(out('ui', name + '.bmp'))
        if name in glyphs.DISABLED:
            glyphs.disabled(picture).save_bmp(out('ui', name + '_disabled.bmp'))
    scenes.empty().save_bmp(out('empty.bmp'))
    scenes.flight().save_bmp(out('pictures', 'flight.bmp'))
    scenes.banner().save_bmp(out('ui', 'banner.bmp'))
    scenes.window_icon().save_png(out('ui', 'velmora.png'))
    # The desktop's icon theme (hicolor) at the sizes menus and launchers ask for.
    for size in ICON_SIZES:
        scenes.window_icon(size).save_png(out('desktop', 'icons', 'velmora-%d.png' % size))
    scenes.about().save_bmp(out('ui', 'about_scene.bmp'))


if __name__ == '__main__':
    main()
