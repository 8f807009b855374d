#!/usr/bin/python3
"""Coverage of coordinate systems: every projected and geographic system of PROJ's database that
is not deprecated and has an area of use gets a small GeoTIFF at the centre of that area (made
by GDAL); marlo-convert takes them GeoTIFF -> table -> GeoTIFF, and the tables it made on to
table -> GeoTIFF -> table. GDAL judges each: kept (the same system, or the same grid and
ellipsoid with shifts to WGS 84 within 1 m, and the same placement), refused (with Marlo's
reason), or wrong (converted, but not kept: a silent change). Counts are printed by projection
method, for each direction, refusals by cause, and the share kept of the systems a table can
hold: those whose method has a MapInfo type and whose datum is WGS 84 or has a parametric
shift to it (a MapInfo datum is such a shift).
    systems.py MARLO_CONVERT SCRATCH_FOLDER [--limit N] [--every K]"""
import collections
import glob
import math
import os
import re
import sqlite3
import subprocess
import sys

from osgeo import gdal, osr

gdal.UseExceptions()
osr.UseExceptions()

convert, scratch = sys.argv[1], sys.argv[2]
limit = int(sys.argv[sys.argv.index("--limit") + 1]) if "--limit" in sys.argv else None
# Every K-th system only: a sample spread over the whole database, for a quicker run.
every = int(sys.argv[sys.argv.index("--every") + 1]) if "--every" in sys.argv else 1
database = next(os.path.join(folder, "proj.db") for folder in osr.GetPROJSearchPaths()
                if os.path.exists(os.path.join(folder, "proj.db")))


def systems():
    query = """
        SELECT c.code, e.south_lat, e.north_lat, e.west_lon, e.east_lon FROM {table} c
        JOIN usage u ON u.object_table_name = '{table}' AND u.object_auth_name = c.auth_name
                    AND u.object_code = c.code
        JOIN extent e ON e.auth_name = u.extent_auth_name AND e.code = u.extent_code
        WHERE c.auth_name = 'EPSG' AND c.deprecated = 0 {where} GROUP BY c.code"""
    with sqlite3.connect(database) as db:
        found = db.execute(query.format(table="projected_crs", where="")).fetchall()
        found += db.execute(query.format(table="geodetic_crs",
                                         where="AND c.type = 'geographic 2D'")).fetchall()
    found = found[::every]
    return found[:limit] if limit else found


def centre(south, north, west, east):
    if east < west:
        east += 360
    lon = (west + east) / 2
    return (lon - 360 if lon > 180 else lon), (south + north) / 2


def method(system):
    if system.IsGeographic():
        return "geographic"
    return system.GetAttrValue("PROJECTION") or "unknown"


def placing_terms(system):
    terms = {}
    for term in system.ExportToProj4().split():
        name, _, value = term.partition("=")
        if name not in ("+datum", "+ellps", "+towgs84", "+a", "+b", "+rf", "+f", "+R",
                        "+no_defs", "+nadgrids"):
            terms[name] = value
    return terms


def same_value(a, b):
    try:
        x, y = float(a), float(b)
    except ValueError:
        return a == b
    return abs(x - y) <= 1e-7 * max(1.0, abs(x))


def on_wgs84(system, x, y):
    wgs84 = osr.SpatialReference()
    wgs84.ImportFromEPSG(4326)
    wgs84.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    system = system.Clone()
    system.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    try:
        lon, lat, _ = osr.CoordinateTransformation(system, wgs84).TransformPoint(x, y)
    except RuntimeError:
        return None
    return lon, lat


def kept(a, b, x, y):
    """The same system, or the same grid on the same ellipsoid whose datum GDAL places within a
    metre of the other's at the image (each by its best transformation to WGS 84)."""
    if a is None or b is None:
        return False
    if a.IsSame(b, ["IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
                    "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS"]):
        return True
    ta, tb = placing_terms(a), placing_terms(b)
    if ta.keys() != tb.keys() or not all(same_value(ta[k], tb[k]) for k in ta):
        return False
    if abs(a.GetSemiMajor() - b.GetSemiMajor()) > 1e-6 or \
            abs(a.GetSemiMinor() - b.GetSemiMinor()) > 1e-6:
        return False
    pa, pb = on_wgs84(a, x, y), on_wgs84(b, x, y)
    if pa is None or pb is None:
        return False
    metres = math.hypot((pa[0] - pb[0]) * math.cos(math.radians(pa[1])), pa[1] - pb[1]) * 111320
    return metres < 1


def make_images(folder):
    made = {}
    wgs84 = osr.SpatialReference()
    wgs84.ImportFromEPSG(4326)
    wgs84.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    driver = gdal.GetDriverByName("GTiff")
    for code, south, north, west, east in systems():
        system = osr.SpatialReference()
        try:
            system.ImportFromEPSG(code)
            system.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
            lon, lat = centre(south, north, west, east)
            x, y, _ = osr.CoordinateTransformation(wgs84, system).TransformPoint(lon, lat)
        except RuntimeError:
            continue
        if not (math.isfinite(x) and math.isfinite(y)):
            continue
        pixel = 0.001 if system.IsGeographic() else 10 / (system.GetLinearUnits() or 1)
        dataset = driver.Create(os.path.join(folder, f"e{code}.tif"), 8, 6)
        dataset.SetSpatialRef(system)
        dataset.SetGeoTransform([x, pixel, 0, y, 0, -pixel])
        dataset = None
        made[code] = (system, method(system))
    return made


def failures(summary):
    found = {}
    listing = summary.split("Failed:\n", 1)[1] if "Failed:\n" in summary else ""
    for line in listing.splitlines():
        name, _, reason = line.partition(": ")
        found[name] = re.sub(r"\s*/\S*$", "", reason)
    return found


def run(*arguments):
    env = dict(os.environ, GDAL_PAM_ENABLED="NO")
    return subprocess.run([convert, *arguments], capture_output=True, text=True, env=env)


def read(path):
    dataset = gdal.Open(path)
    return dataset.GetSpatialRef(), dataset.GetGeoTransform()


images = os.path.join(scratch, "images")
out = os.path.join(scratch, "out")
os.makedirs(images)
os.makedirs(out)
gdal.SetConfigOption("GDAL_PAM_ENABLED", "NO")
made = make_images(images)


def run_in_batches(arguments, pattern, folder=images):
    """One marlo-convert run per few hundred files, so that a run that stops names its batch."""
    found = {}
    files = sorted(glob.glob(os.path.join(folder, pattern)))
    for start in range(0, len(files), 300):
        result = run(*arguments, *files[start:start + 300])
        if "Converted:" not in result.stdout:
            print(f"a run stopped: {result.stderr[-300:]!r}", file=sys.stderr)
        found.update(failures(result.stdout))
    return found


def table_of(path):
    """A table's system (as GDAL reads its clause) and its control points."""
    system, points = None, []
    with open(path, encoding="latin-1") as table:
        for line in table:
            words = line.strip()
            if words.lower().startswith("coordsys"):
                system = osr.SpatialReference()
                try:
                    system.ImportFromMICoordSys(words[len("coordsys"):].strip())
                except RuntimeError:
                    system = None
            found = re.match(r"\(([^,]+),([^)]+)\)\s*\(([^,]+),([^)]+)\)", words)
            if found:
                points.append(tuple(float(v) for v in found.groups()))
    return system, points


# Why a table cannot hold a system, from Marlo's refusal: the first two leave it outside what
# any table can hold.
CAUSES = (("no type for the method", "no projection for the system's method"),
          ("datum has no parametric shift to WGS 84 (within 1 m of PROJ's best)",
           "shift to WGS 84, and PROJ has no such shift"),
          ("GDAL reads the clause back as another system", "reads no TAB clause"))
BEYOND_TABLES = CAUSES[0][0], CAUSES[1][0]


def cause(refusal):
    return next((name for name, words in CAUSES if words in refusal), "other")


def judge(folder, pairs, refusals):
    """Counts by method for (code, original, result) files; refusals by file name."""
    counts = collections.defaultdict(collections.Counter)
    reasons = collections.Counter()
    causes = collections.Counter()
    wrong = []
    for code, first, last in pairs:
        system, kind = made[code]
        if os.path.basename(last) in refusals or os.path.basename(first) in refusals:
            counts[kind]["refused"] += 1
            name = os.path.basename(last) if os.path.basename(last) in refusals else \
                os.path.basename(first)
            reasons[re.sub(r'"[^"]*"', '"..."', refusals[name])[:110]] += 1
            causes[cause(refusals[name])] += 1
            continue
        if not os.path.exists(last):
            counts[kind]["refused"] += 1
            reasons["no output"] += 1
            causes["other"] += 1
            continue
        if last.endswith(".tif"):
            (a, ta), (b, tb) = read(first), read(last)
            pixels = max(abs(ta[i] - tb[i]) for i in (0, 3)) / max(abs(ta[1]), abs(ta[5]))
            x, y = ta[0], ta[3]
        else:
            (a, pa), (b, pb) = table_of(first), table_of(last)
            # Ground units per pixel, from the first two points.
            size = math.hypot(pa[1][0] - pa[0][0], pa[1][1] - pa[0][1]) / max(
                math.hypot(pa[1][2] - pa[0][2], pa[1][3] - pa[0][3]), 1e-300) \
                if len(pa) > 1 else 1
            pixels = max((abs(p[i] - q[i]) for p, q in zip(pa, pb) for i in (0, 1)),
                         default=math.inf) / size if len(pa) == len(pb) else math.inf
            x, y = pa[0][:2] if pa else (0, 0)
        if kept(a, b, x, y) and pixels < 1e-6:
            counts[kind]["kept"] += 1
        else:
            counts[kind]["wrong"] += 1
            wrong.append(f"EPSG:{code} ({kind}) pixels={pixels:.3g}")
    return counts, reasons, causes, wrong


def report(title, counts, reasons, causes, wrong):
    print(f"\n{title}\n{'method':52} {'kept':>6} {'refused':>8} {'wrong':>6}")
    total = collections.Counter()
    for kind, c in sorted(counts.items(), key=lambda item: -sum(item[1].values())):
        print(f"{kind[:52]:52} {c['kept']:6} {c['refused']:8} {c['wrong']:6}")
        total.update(c)
    print(f"{'all':52} {total['kept']:6} {total['refused']:8} {total['wrong']:6}")
    print("\nrefusals by cause:")
    for name, n in causes.most_common():
        print(f"{n:6}  {name}")
    holdable = sum(total.values()) - sum(causes[name] for name in BEYOND_TABLES)
    print(f"\ncoverage of the systems a table can hold (a type for the method, a datum WGS 84 or "
          f"with a parametric shift): {total['kept']} of {holdable} = "
          f"{100 * total['kept'] / max(holdable, 1):.1f} %")
    print("\nrefusals by reason:")
    for reason, n in reasons.most_common(15):
        print(f"{n:6}  {reason}")
    print("\nwrong (silent):")
    for line in wrong[:40]:
        print("  " + line)


refused = run_in_batches(["--from", "geotiff", "--to", "tab", "--keep-going"], "*.tif")
refused.update(run_in_batches(["--from", "tab", "--to", "geotiff", "--keep-going",
                               "--output-dir", out], "*.tab"))
report("GeoTIFF -> table -> GeoTIFF",
       *judge(out, [(code, os.path.join(images, f"e{code}.tif"), os.path.join(out, f"e{code}.tif"))
                    for code in sorted(made)], refused))
# The tables Marlo made, on through a GeoTIFF and back into a table.
tables = [code for code in sorted(made) if os.path.exists(os.path.join(out, f"e{code}.tif"))]
back = run_in_batches(["--from", "geotiff", "--to", "tab", "--keep-going"], "*.tif", out)
report("table -> GeoTIFF -> table (tables Marlo made)",
       *judge(out, [(code, os.path.join(images, f"e{code}.tab"),
                     os.path.join(out, f"e{code}.tab")) for code in tables], back))
