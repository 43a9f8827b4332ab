"""Reads the polygons of a TopoJSON topology as rings of (longitude, latitude).

A topology stores each shared piece of outline once, as an arc; polygons list
their rings as arc indices, where ~i (that is -i - 1) means arc i walked
backwards. A quantised topology has a "transform": its arcs hold integer
positions, each one a difference to the previous position of the arc, and a
position (qx, qy) stands for (qx * scale_x + translate_x, qy * scale_y +
translate_y).
"""


def decode_arcs(topology):
    """Every arc of the topology as a list of (x, y) in the file's coordinates."""
    transform = topology.get("transform")
    if transform is None:
        return [[(float(p[0]), float(p[1])) for p in arc] for arc in topology["arcs"]]
    (scale_x, scale_y), (translate_x, translate_y) = transform["scale"], transform["translate"]
    decoded = []
    for arc in topology["arcs"]:
        qx = qy = 0
        points = []
        for position in arc:
            qx += position[0]
            qy += position[1]
            points.append((qx * scale_x + translate_x, qy * scale_y + translate_y))
        decoded.append(points)
    return decoded


def stitch_ring(arcs, indices):
    """The closed ring made of the arcs named by indices, in their order.

    Consecutive arcs meet in a shared point, which the ring holds once.
    """
    ring = []
    for index in indices:
        points = arcs[~index][::-1] if index < 0 else arcs[index]
        if ring:
            ring.extend(points[1:])
        else:
            ring.extend(points)
    return ring


def _collect(geometry, arcs, polygons):
    kind = geometry.get("type")
    if kind == "GeometryCollection":
        for member in geometry["geometries"]:
            _collect(member, arcs, polygons)
    elif kind == "Polygon":
        polygons.append([stitch_ring(arcs, ring) for ring in geometry["arcs"]])
    elif kind == "MultiPolygon":
        for polygon in geometry["arcs"]:
            polygons.append([stitch_ring(arcs, ring) for ring in polygon])


def polygons(topology, object_name):
    """The polygons of one object of the topology.

    Each polygon is a list of rings (the outer ring first, then its holes);
    each ring a closed list of (x, y) whose last point repeats the first.
    Geometries other than polygons are left out.
    """
    if object_name not in topology.get("objects", {}):
        raise KeyError(f"the topology has no object '{object_name}'")
    arcs = decode_arcs(topology)
    found = []
    _collect(topology["objects"][object_name], arcs, found)
    return found
