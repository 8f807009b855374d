#!/usr/bin/python3
"""Judges a footprint index by GDAL: for each polygon, the output it names is opened, its four
corners placed by its geotransform and moved to WGS 84 by its own coordinate system; prints
"features=N worst=D" with D the largest distance, in degrees, between a polygon's corners and
GDAL's (corners matched in any order), and "count=N" as ogrinfo counts the layer."""
import sys

from osgeo import gdal, ogr, osr

gdal.UseExceptions()
ogr.UseExceptions()


def corners(path):
    dataset = gdal.Open(path)
    g = dataset.GetGeoTransform()
    w, h = dataset.RasterXSize, dataset.RasterYSize
    source = dataset.GetSpatialRef()
    source.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    target = osr.SpatialReference()
    target.SetWellKnownGeogCS("WGS84")
    target.SetAxisMappingStrategy(osr.OAMS_TRADITIONAL_GIS_ORDER)
    move = osr.CoordinateTransformation(source, target)
    points = []
    for column, row in ((0, 0), (w, 0), (w, h), (0, h)):
        x = g[0] + column * g[1] + row * g[2]
        y = g[3] + column * g[4] + row * g[5]
        points.append(move.TransformPoint(x, y)[:2])
    return points


source = ogr.Open(sys.argv[1])
layer = source.GetLayer(0)
worst = 0.0
features = 0
for feature in layer:
    features += 1
    ring = feature.GetGeometryRef().GetGeometryRef(0)
    ours = [ring.GetPoint_2D(i) for i in range(ring.GetPointCount() - 1)]
    for expected in corners(feature.GetField("output")):
        worst = max(worst, min(max(abs(a - b) for a, b in zip(expected, p)) for p in ours))
print("features=%d worst=%.3g count=%d" % (features, worst, layer.GetFeatureCount()))
