#pragma once
// The eraser's hit test. The eraser sweeps a path (a point on the press, the
// line from the last mouse point to the new one on each move) and takes away
// every pen segment that comes within its radius of that path. All distances
// are in page pixels.
#include "document/page_marks.h"

constexpr double kEraserRadius = 15.0;
// Below this squared length a segment counts as a point.
constexpr double kPointLengthSquared = 0.0001;
// Below this absolute cross product two segments count as parallel, and so as
// not crossing; their end points still measure the distance between them.
constexpr double kParallelCross = 0.0001;

struct PenPoint {
    double x = 0, y = 0;
};

// Distance from x to the segment a-b (to a when the segment is a point).
double pen_point_segment_distance(PenPoint x, PenPoint a, PenPoint b);
// Whether p-q and s-e cross, touching ends included; parallel ones never do.
bool pen_segments_cross(PenPoint p, PenPoint q, PenPoint s, PenPoint e);
// Distance between the pen segment s-e and the eraser path p-q.
double pen_segment_path_distance(PenPoint s, PenPoint e, PenPoint p, PenPoint q);

// Removes every segment at most `radius` from the path p-q (15 itself is
// removed), keeping the others in order; returns how many went.
int pen_erase(PageMarks* m, PenPoint p, PenPoint q, double radius = kEraserRadius);
