#!/usr/bin/env python3
"""Draws the grayline window's world map, grayline/worldmap.bmp.

The map is a 720 x 360 equirectangular picture (two pixels per degree,
column 0 at 180 W, row 0 at 90 N), stored as an 8-bit, uncompressed,
bottom-up .bmp file with a 256-entry colour table. Entry i (0-127) is the
night shade of a colour and entry i + 128 its day shade, so the library
shows a pixel in daylight by setting its top bit and in darkness by
clearing it. Every pixel is written with the top bit set: the file on its
own shows the world in daylight.

Land comes from the Natural Earth land polygons at 1:50m (public domain)
as the npm package world-atlas publishes them in TopoJSON; Antarctica and
Greenland are drawn as ice from its country polygons. The package is
needed only to draw the map, never to build or run the suite:

    mkdir /tmp/atlas && (cd /tmp/atlas && npm install world-atlas@2)
    python3 tools/graylinemap.py /tmp/atlas/node_modules/world-atlas \\
        grayline/worldmap.bmp

Shades: sea, land, ice, coast (land or ice beside the sea) and a
graticule every 30 degrees over sea and over land.
"""
import json
import math
import os
import struct
import sys

WIDTH, HEIGHT = 720, 360
SEA, LAND, ICE, COAST, GRID_SEA, GRID_LAND = range(6)
DAY = 0x80

# (night, day) as red, green, blue.
SHADES = {
    SEA: ((12, 22, 54), (46, 96, 172)),
    LAND: ((30, 50, 28), (98, 152, 74)),
    ICE: ((84, 88, 100), (232, 236, 242)),
    COAST: ((18, 30, 18), (58, 98, 46)),
    GRID_SEA: ((26, 40, 78), (86, 130, 200)),
    GRID_LAND: ((44, 64, 42), (132, 176, 108)),
}
ICE_IDS = {"010", "304"}  # Antarctica, Greenland


def decode_arcs(topology):
    """Absolute (longitude, latitude) points of every arc."""
    scale_x, scale_y = topology["transform"]["scale"]
    move_x, move_y = topology["transform"]["translate"]
    arcs = []
    for arc in topology["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            points.append((x * scale_x + move_x, y * scale_y + move_y))
        arcs.append(points)
    return arcs


def ring_points(ring, arcs):
    points = []
    for index in ring:
        arc = arcs[index] if index >= 0 else arcs[~index][::-1]
        points.extend(arc if not points else arc[1:])
    return points


def rings_of(geometry, arcs):
    kind = geometry["type"]
    if kind == "Polygon":
        polygons = [geometry["arcs"]]
    elif kind == "MultiPolygon":
        polygons = geometry["arcs"]
    elif kind == "GeometryCollection":
        return [r for g in geometry["geometries"] for r in rings_of(g, arcs)]
    else:
        return []
    return [ring_points(ring, arcs) for polygon in polygons for ring in polygon]


def unwrap(ring):
    """The ring with its longitudes made continuous across the 180th
    meridian; a ring around a pole (Antarctica) is closed through it."""
    points = [ring[0]]
    for x, y in ring[1:]:
        last = points[-1][0]
        while x - last > 180:
            x -= 360
        while last - x > 180:
            x += 360
        points.append((x, y))
    if abs(points[-1][0] - points[0][0]) > 180:
        pole = -90 if sum(y for _, y in points) < 0 else 90
        points += [(points[-1][0], pole), (points[0][0], pole)]
    return points


def copies(rings):
    """Each unwrapped ring where it lies and one turn east and west of it,
    so that whatever part lies beyond a map edge comes in at the other."""
    for ring in map(unwrap, rings):
        for turn in (-360, 0, 360):
            yield [(x + turn, y) for x, y in ring]


def fill(grid, rings, value):
    """Even-odd fill of `rings`, sampled at pixel centres."""
    crossings = [[] for _ in range(HEIGHT)]
    for ring in copies(rings):
        for (x1, y1), (x2, y2) in zip(ring, ring[1:] + ring[:1]):
            if y1 == y2:
                continue
            low, high = min(y1, y2), max(y1, y2)
            # Rows whose centre latitude 90 - (row + 0.5) / 2 lies in [low, high).
            first = max(0, math.ceil((90 - high) * 2 - 0.5))
            last = min(HEIGHT - 1, math.floor((90 - low) * 2 - 0.5))
            for row in range(first, last + 1):
                lat = 90 - (row + 0.5) / 2
                if low <= lat < high:
                    crossings[row].append(x1 + (lat - y1) * (x2 - x1) / (y2 - y1))
    for row, xs in enumerate(crossings):
        xs.sort()
        for west, east in zip(xs[0::2], xs[1::2]):
            begin = max(0, math.ceil((west + 180) * 2 - 0.5))
            end = min(WIDTH, math.ceil((east + 180) * 2 - 0.5))
            for column in range(begin, end):
                grid[row][column] = value


def draw(atlas):
    with open(os.path.join(atlas, "land-50m.json")) as f:
        land = json.load(f)
    with open(os.path.join(atlas, "countries-50m.json")) as f:
        countries = json.load(f)
    grid = [[SEA] * WIDTH for _ in range(HEIGHT)]
    fill(grid, rings_of(land["objects"]["land"], decode_arcs(land)), LAND)
    country_arcs = decode_arcs(countries)
    ice = [g for g in countries["objects"]["countries"]["geometries"] if g.get("id") in ICE_IDS]
    fill(grid, [r for g in ice for r in rings_of(g, country_arcs)], ICE)

    # Coast: land or ice with sea beside it (east and west wrap around).
    coast = []
    for row in range(HEIGHT):
        for column in range(WIDTH):
            if grid[row][column] == SEA:
                continue
            beside = [grid[row][(column - 1) % WIDTH], grid[row][(column + 1) % WIDTH]]
            if row > 0:
                beside.append(grid[row - 1][column])
            if row < HEIGHT - 1:
                beside.append(grid[row + 1][column])
            if SEA in beside:
                coast.append((row, column))
    for row, column in coast:
        grid[row][column] = COAST

    def mark(row, column):
        grid[row][column] = GRID_SEA if grid[row][column] == SEA else GRID_LAND

    for longitude in range(-180, 180, 30):
        column = (longitude + 180) * 2
        for row in range(HEIGHT):
            mark(row, column)
    for latitude in range(-60, 90, 30):
        row = (90 - latitude) * 2
        for column in range(WIDTH):
            if column % 60 != 0:  # the meridians' pixels are marked already
                mark(row, column)
    return grid


def write_bitmap(grid, path):
    palette = bytearray()
    for half in (0, 1):
        for index in range(128):
            red, green, blue = SHADES.get(index, ((0, 0, 0), (128, 128, 128)))[half]
            palette += bytes((blue, green, red, 0))
    pixels = bytearray()
    for row in reversed(grid):  # bottom-up
        pixels += bytes(value | DAY for value in row)
    offset = 14 + 40 + len(palette)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(pixels), 2835, 2835,
                       256, 0)
    partial = path + ".partial"
    with open(partial, "wb") as f:
        f.write(header + info + palette + pixels)
    os.replace(partial, path)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: graylinemap.py WORLD_ATLAS_DIR OUTPUT.bmp")
    write_bitmap(draw(sys.argv[1]), sys.argv[2])


if __name__ == "__main__":
    main()
