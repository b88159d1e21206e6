#!/usr/bin/python3
"""How far the light a panel gives is from the picture's: bench/run's panel figure.

usage: bench/panelerror.py PICTURE BITMAP W H LIGHT [--dither]

PICTURE is what bmp4c-grey was given (fitted to W x H, on a light display),
BITMAP what it made, and LIGHT the panel the bitmap is shown on: linear,
srgb, or 15 or 16 numbers, as --panel takes them. Prints the mean absolute
difference, in steps of 255, between the panel's light, sRGB-encoded, and
the picture's, over the pixels the picture covers (the background around
it is exact, and says nothing): pixel by pixel, or, for a dither, each
averaged over 5 x 5 pixels in linear light, as the eye averages it.

The picture's light is worked out here on its own, with Python's pow() and
PIL: sRGB to linear, Y = 0.2126 R + 0.7152 G + 0.0722 B, alpha over black,
shrunk into W x H by the area each pixel covers, centred on black.
"""
import sys

from PIL import Image


def linear(v):
    return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4


def encoded(light):
    return light * 12.92 if light <= 0.0031308 else 1.055 * light ** (1 / 2.4) - 0.055


def panel(text):
    if text == 'linear':
        return [k / 15 for k in range(16)]
    if text == 'srgb':
        return [linear(k / 15) for k in range(16)]
    numbers = [int(n) for n in text.split(',')]
    numbers = [0] * (16 - len(numbers)) + numbers
    return [n / numbers[-1] for n in numbers]


def shrink(values, size, shown):
    """One line of values averaged into `shown` by the share of each that lies under each."""
    out = []
    for x in range(shown):
        start, end = x * size / shown, (x + 1) * size / shown
        total = 0.0
        for i in range(int(start), min(size, int(end) + 1)):
            total += max(0.0, min(end, i + 1) - max(start, i)) * values[i]
        out.append(total / (end - start))
    return out


def picturelight(name, width, height):
    image = Image.open(name).convert('RGBA')
    w, h = image.size
    table = [linear(s / 255) for s in range(256)]
    rows = []
    pixels = list(image.getdata())
    for y in range(h):
        rows.append([(0.2126 * table[r] + 0.7152 * table[g] + 0.0722 * table[b]) * a / 255
                     for r, g, b, a in pixels[y * w:(y + 1) * w]])
    shownw, shownh = w, h
    if w > width or h > height:
        if width * h <= height * w:
            shownw, shownh = width, max(1, (2 * h * width + w) // (2 * w))
        else:
            shownw, shownh = max(1, (2 * w * height + h) // (2 * h)), height
    rows = [shrink(row, w, shownw) for row in rows]
    columns = [shrink([row[x] for row in rows], h, shownh) for x in range(shownw)]
    left, top = (width - shownw) // 2, (height - shownh) // 2
    light = [[0.0] * width for _ in range(height)]
    for x in range(shownw):
        for y in range(shownh):
            light[top + y][left + x] = columns[x][y]
    return light, (left, top, shownw, shownh)


def averaged(light, reach=2):
    """Each pixel the mean of the 5 x 5 around it, within the picture."""
    h, w = len(light), len(light[0])
    out = [[0.0] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            around = [light[j][i] for j in range(max(0, y - reach), min(h, y + reach + 1))
                      for i in range(max(0, x - reach), min(w, x + reach + 1))]
            out[y][x] = sum(around) / len(around)
    return out


def main():
    if len(sys.argv) not in (6, 7):
        sys.exit(__doc__.split('\n\n')[1])
    picture, bitmap, width, height, lights = sys.argv[1:6]
    width, height = int(width), int(height)
    levels = panel(lights)
    indices = Image.open(bitmap)
    wanted, (left, top, w, h) = picturelight(picture, width, height)
    shown = [[levels[15 - indices.getpixel((x, y))] for x in range(width)] for y in range(height)]
    if sys.argv[6:] == ['--dither']:
        wanted, shown = averaged(wanted), averaged(shown)
    error = sum(abs(encoded(shown[y][x]) - encoded(wanted[y][x]))
                for y in range(top, top + h) for x in range(left, left + w))
    print(f'{255 * error / (w * h):.1f}')


main()
