#!/usr/bin/python3
"""Writes grayline/testdata/ephemeris.csv: where a precise ephemeris puts the
Sun at a few hundred instants from 1950 to 2050, for the grayline tests to
measure the map's own solar series against.

Needs Debian's python3-ephem (the VSOP87 planetary theory with nutation
and aberration) only to write the table; the tests read the table.

    /usr/bin/python3 tools/sunephemeris.py > grayline/testdata/ephemeris.csv

Each line: the instant (UTC), the Sun's apparent declination and the east
longitude of the point beneath it (apparent right ascension less Greenwich
apparent sidereal time, -180 to 180), in degrees.
"""
import datetime
import math

import ephem

COUNT = 400
START = datetime.datetime(1950, 1, 1)
END = datetime.datetime(2050, 12, 31, 23, 59, 59)


def main():
    print("# instant,declination,subsolar_longitude  (python3-ephem %s)" % ephem.__version__)
    span = (END - START).total_seconds()
    # Evenly spread, with a step that is no whole number of days or years,
    # so the instants fall at every season and every hour.
    step = span / COUNT
    observer = ephem.Observer()
    observer.lon, observer.lat, observer.elevation = "0", "0", 0
    observer.pressure = 0
    for k in range(COUNT):
        when = START + datetime.timedelta(seconds=int(k * step + (k * 7919) % 86400))
        observer.date = ephem.Date(when)
        sun = ephem.Sun(observer)
        gast = float(observer.sidereal_time())
        longitude = math.degrees(float(sun.g_ra) - gast)
        longitude = (longitude + 180.0) % 360.0 - 180.0
        print("%s,%.6f,%.6f" % (when.strftime("%Y-%m-%dT%H:%M:%SZ"),
                                math.degrees(float(sun.g_dec)), longitude))


if __name__ == "__main__":
    main()
