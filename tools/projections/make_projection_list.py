#!/usr/bin/python3
"""Regenerates data/projections/mapinfow.prj, the projection list shipped with Marlo.

The list is in MapInfo's projection list format as Marlo reads it: a group header is a line
"--- Name ---", each projection a line '"Name", <parameters>' with exactly one blank after the
comma, an empty line between groups (an empty line ends a group's list, so none inside one),
CR LF line ends, text in Windows-1250. The first line is a group header so that the projection
window opens with that group picked.

Each entry comes from an EPSG code through GDAL's Python bindings (Debian: python3-gdal, only
needed to regenerate the list, Marlo itself never uses it): osr's ExportToMICoordSys gives
"Earth Projection <parameters>", and the parameters go into the list unchanged under the EPSG
name. An entry is kept only when GDAL reads the clause back (ImportFromMICoordSys) as the same
coordinate system as the EPSG definition, by this criterion:

  1. Same: IsSame with the data axis mapping ignored, after both definitions have their first
     two axes put in east, north order. A MapInfo clause carries no axis order (tables are
     always easting/northing, longitude/latitude), so EPSG's northing/easting order for, say,
     Poland CS92 or LAEA Europe is not a difference.
  2. Same within the WGS 84 tolerance: the projection method, its parameters and the units are
     the same as in 1. once the read-back definition is given the EPSG geographic base, AND both
     geodetic datums coincide with WGS 84 (WGS 84 itself, or a datum for which EPSG registers a
     single null transformation to WGS 84, which GDAL gives as an all-zero TOWGS84), AND the
     ellipsoids agree to 1 mm in the semi-major axis and 1e-5 in inverse flattening (GRS 1980
     and WGS 84 differ by 1.5e-6: 0.1 mm in the semi-minor axis). This keeps e.g. ETRF2000-PL /
     CS92, whose datum GDAL can only write as MapInfo's WGS 84 (104); the two frames agree to
     about a metre, well within EPSG's stated accuracy of that null transformation.

Everything else is dropped and listed on standard error: clauses that lose parameters (GDAL
writes LAEA Europe without its false easting and northing), datums GDAL has no MapInfo number
for and writes as WGS 84 although they are not (Pulkovo 1942(58)), non-earth clauses.
A group left without entries is left out of the file.

Usage:
  tools/projections/make_projection_list.py            write data/projections/mapinfow.prj
  tools/projections/make_projection_list.py -o PATH    write PATH instead
  tools/projections/make_projection_list.py --check    regenerate in memory and compare with
                                                       the committed file; exit status 1 and
                                                       the first differing line if they differ

Run --check by hand after a GDAL or PROJ upgrade: the output depends on the EPSG database that
PROJ ships (the committed file was made with GDAL 3.6.2, PROJ 9.1.1, EPSG v10.076).
"""

import argparse
import json
import pathlib
import sys

from osgeo import gdal, osr

MI_PREFIX = "Earth Projection "
NEWLINE = "\r\n"
ENCODING = "cp1250"

ELLIPSOID_SEMI_MAJOR_TOLERANCE_M = 1e-3
ELLIPSOID_INV_FLATTENING_TOLERANCE = 1e-5

# Group name (written between "--- " and " ---") and its EPSG codes, in file order. No group
# name may contain another: a group typed by hand is looked up by the first header containing it.
GROUPS = [
    ("Longitude / Latitude", [4326, 4258, 4230, 4284, 4179]),
    ("Poland", [2180, 2176, 2177, 2178, 2179, 25833, 25834,
                3120, 2172, 2173, 2174, 2175, 3328]),
    ("Europe", [3035, 3034, 3857, 3395]),
    ("UTM ETRS89", list(range(25828, 25839))),
    ("Pulkovo 1942 / Gauss-Kruger", [28404, 2523, 2524, 3333, 3334, 3329, 3330, 3331, 3332]),
    ("UTM WGS 84 North", list(range(32601, 32661))),
    ("UTM WGS 84 South", list(range(32701, 32761))),
]

REPO_ROOT = pathlib.Path(__file__).resolve().parents[2]
DEFAULT_OUTPUT = REPO_ROOT / "data" / "projections" / "mapinfow.prj"


def from_epsg(code):
    srs = osr.SpatialReference()
    srs.ImportFromEPSG(code)
    return srs


def east_north(srs):
    """A copy of srs whose first two axes are in east, north order."""
    definition = json.loads(srs.ExportToPROJJSON())
    axes = definition.get("coordinate_system", {}).get("axis", [])
    if len(axes) >= 2 and axes[0]["direction"] == "north" and axes[1]["direction"] == "east":
        axes[0], axes[1] = axes[1], axes[0]
    copy = osr.SpatialReference()
    copy.SetFromUserInput(json.dumps(definition))
    return copy


def same_ignoring_axis_order(a, b):
    return bool(east_north(a).IsSame(east_north(b), ["IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES"]))


def coincides_with_wgs84(srs):
    if srs.IsSameGeogCS(from_epsg(4326)):
        return True
    guessed = srs.Clone()
    guessed.AddGuessedTOWGS84()
    return guessed.HasTOWGS84() and all(value == 0 for value in guessed.GetTOWGS84())


def same_ellipsoid(a, b):
    return (abs(a.GetSemiMajor() - b.GetSemiMajor()) <= ELLIPSOID_SEMI_MAJOR_TOLERANCE_M and
            abs(a.GetInvFlattening() - b.GetInvFlattening()) <= ELLIPSOID_INV_FLATTENING_TOLERANCE)


def same_within_wgs84_tolerance(epsg, read_back):
    if not (coincides_with_wgs84(epsg) and coincides_with_wgs84(read_back)):
        return False
    if not same_ellipsoid(epsg, read_back):
        return False
    on_epsg_base = read_back.Clone()
    on_epsg_base.CopyGeogCSFrom(epsg)
    return same_ignoring_axis_order(epsg, on_epsg_base)


def round_trip(code):
    """(name, parameters, note) for an EPSG code; parameters None when dropped, note says why.

    A kept entry's note is empty, or says that it was kept within the WGS 84 tolerance."""
    epsg = from_epsg(code)
    name = epsg.GetName()
    try:
        clause = epsg.ExportToMICoordSys()
    except RuntimeError as error:
        return name, None, f"no MapInfo clause ({error})"
    if not clause.startswith(MI_PREFIX):
        return name, None, f"not an earth projection: {clause}"
    read_back = osr.SpatialReference()
    try:
        read_back.ImportFromMICoordSys(clause)
    except RuntimeError as error:
        return name, None, f"clause not read back ({error}): {clause}"
    parameters = clause[len(MI_PREFIX):]
    if same_ignoring_axis_order(epsg, read_back):
        return name, parameters, ""
    if same_within_wgs84_tolerance(epsg, read_back):
        return name, parameters, f"kept within the WGS 84 tolerance: {clause}"
    return name, None, f"read back as another system: {clause}"


def check_name(name, code):
    if '"' in name or "---" in name or not name.strip():
        raise SystemExit(f"EPSG:{code}: name {name!r} cannot stand in a projection line")
    name.encode(ENCODING)


def build_lines():
    """The file's lines, and the dropped and tolerated entries as (group, code, name, note)."""
    lines, dropped, tolerated = [], [], []
    for group, codes in GROUPS:
        entries, names = [], set()
        for code in codes:
            name, parameters, note = round_trip(code)
            if parameters is None:
                dropped.append((group, code, name, note))
                continue
            if note:
                tolerated.append((group, code, name, note))
            check_name(name, code)
            if name.lower() in names:
                raise SystemExit(f"EPSG:{code}: name {name!r} twice in group {group}")
            names.add(name.lower())
            # MapInfo's own convention: the EPSG code after the name, inside the quotes.
            entries.append(f'"{name}\\p{code}", {parameters}')
        if not entries:
            continue
        if lines:
            lines.append("")
        lines.append(f'"--- {group} ---"')
        lines.extend(entries)
    return lines, dropped, tolerated


def encode(lines):
    return "".join(line + NEWLINE for line in lines).encode(ENCODING)


def first_difference(expected, actual):
    expected_lines = expected.split(b"\n")
    actual_lines = actual.split(b"\n")
    for number, (want, have) in enumerate(zip(expected_lines, actual_lines), start=1):
        if want != have:
            return f"line {number}: committed {want!r}, regenerated {have!r}"
    return f"committed file has {len(expected_lines)} lines, regenerated {len(actual_lines)}"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", "--output", type=pathlib.Path, default=DEFAULT_OUTPUT)
    parser.add_argument("--check", action="store_true",
                        help="compare with the committed file instead of writing it")
    arguments = parser.parse_args()

    gdal.UseExceptions()
    gdal.PushErrorHandler("CPLQuietErrorHandler")
    lines, dropped, tolerated = build_lines()
    content = encode(lines)

    kept = sum(1 for line in lines if line and "---" not in line)
    print(f"kept {kept} ({len(tolerated)} within the WGS 84 tolerance), dropped {len(dropped)}",
          file=sys.stderr)
    for group, code, name, note in tolerated + dropped:
        print(f"  EPSG:{code} {name} [{group}]: {note}", file=sys.stderr)

    if arguments.check:
        committed = arguments.output.read_bytes()
        if committed != content:
            print(f"{arguments.output} differs: {first_difference(committed, content)}",
                  file=sys.stderr)
            return 1
        print(f"{arguments.output} is up to date", file=sys.stderr)
        return 0
    arguments.output.parent.mkdir(parents=True, exist_ok=True)
    arguments.output.write_bytes(content)
    return 0


if __name__ == "__main__":
    sys.exit(main())
