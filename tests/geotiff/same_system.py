#!/usr/bin/python3
"""Says how GDAL reads two georeferenced files: "strict" is OSRIsSame on their coordinate
systems, "placing" whether their PROJ definitions agree once datum shifts are set aside, and
"pixels" how far apart GDAL places their corners, in pixels. A table is read through the image
beside it (GDAL_GEOREF_SOURCES=TABFILE), its system from its CoordSys line."""
import sys

from osgeo import gdal, osr

gdal.UseExceptions()


def read(path):
    if path.lower().endswith(".tab"):
        image = path[:-4] + ".tif"
        gdal.SetConfigOption("GDAL_GEOREF_SOURCES", "TABFILE")
        transform = gdal.Open(image).GetGeoTransform()
        gdal.SetConfigOption("GDAL_GEOREF_SOURCES", None)
        system = None
        with open(path, encoding="cp1250") as table:
            for line in table:
                if line.strip().startswith("CoordSys"):
                    system = osr.SpatialReference()
                    system.ImportFromMICoordSys(line.strip())
        return system, transform
    dataset = gdal.Open(path)
    return dataset.GetSpatialRef(), dataset.GetGeoTransform()


def placing(system):
    """The PROJ definition's terms, datum shift aside; numbers to 12 digits (a conic by one
    parallel read back through its two comes back a few 1e-8 m off)."""
    terms = []
    for term in system.ExportToProj4().split():
        name, _, value = term.partition("=")
        if name == "+towgs84":
            continue
        try:
            value = f"{float(value):.12g}"
        except ValueError:
            pass
        terms.append((name, value))
    return terms


(a, ta), (b, tb) = read(sys.argv[1]), read(sys.argv[2])
strict = int(a is not None and b is not None and a.IsSame(
    b, ["IGNORE_DATA_AXIS_TO_SRS_AXIS_MAPPING=YES",
        "CRITERION=EQUIVALENT_EXCEPT_AXIS_ORDER_GEOGCRS"]))
same_placing = int(a is not None and b is not None and placing(a) == placing(b))
pixel = max(abs(ta[1]), abs(ta[5]))
pixels = max(abs(ta[i] - tb[i]) for i in (0, 3)) / pixel
print(f"strict={strict} placing={same_placing} pixels={pixels:.3g}")
