#include "annotate/pen_hit.h"

#include <gtest/gtest.h>

namespace {
PenSegment seg(double x0, double y0, double x1, double y1, uint32_t colour = 0) { return {x0, y0, x1, y1, colour}; }
}  // namespace

TEST(PenHit, PointToSegmentUsesThePerpendicularOnlyBetweenTheEnds) {
    EXPECT_DOUBLE_EQ(pen_point_segment_distance({5, 3}, {0, 0}, {10, 0}), 3);
    EXPECT_DOUBLE_EQ(pen_point_segment_distance({5, -3}, {10, 0}, {0, 0}), 3);  // either direction
    // Beyond an end the nearer end counts, not the infinite line.
    EXPECT_DOUBLE_EQ(pen_point_segment_distance({13, 4}, {0, 0}, {10, 0}), 5);
    EXPECT_DOUBLE_EQ(pen_point_segment_distance({-3, 4}, {0, 0}, {10, 0}), 5);
    // Exactly at an end the parameter is 0 or 1 and still inside.
    EXPECT_DOUBLE_EQ(pen_point_segment_distance({10, 2}, {0, 0}, {10, 0}), 2);
}

TEST(PenHit, TinySegmentsMeasureFromTheirStart) {
    // Squared length 0.000064 is below 0.0001: the segment is its start point.
    EXPECT_DOUBLE_EQ(pen_point_segment_distance({3, 4}, {0, 0}, {0.008, 0}), 5);
    // A little longer it is a segment again, measured square to it.
    EXPECT_NEAR(pen_point_segment_distance({0.01, 4}, {0, 0}, {0.02, 0}), 4, 1e-12);
}

TEST(PenHit, CrossingIncludesTouchingEndsAndRejectsParallels) {
    EXPECT_TRUE(pen_segments_cross({0, 0}, {10, 10}, {0, 10}, {10, 0}));
    EXPECT_TRUE(pen_segments_cross({3, 0}, {13, 0}, {13, 0}, {13, 10}));  // an end on an end
    EXPECT_TRUE(pen_segments_cross({0, 0}, {10, 0}, {5, 0}, {5, 10}));    // an end on the middle
    // Boxes that overlap leave it to the crossing point: the lines meet, but
    // beyond the end of the segment (2.12 from the path) ...
    EXPECT_FALSE(pen_segments_cross({0, 0}, {10, 10}, {6, 1}, {7, 4}));
    // ... or beyond the end of the path.
    EXPECT_FALSE(pen_segments_cross({6, 1}, {7, 4}, {0, 0}, {10, 10}));
    EXPECT_FALSE(pen_segments_cross({0, 0}, {4, 4}, {5, 0}, {9, -4}));  // boxes apart
    // Overlapping on one line counts as not crossing...
    EXPECT_FALSE(pen_segments_cross({0, 0}, {10, 0}, {5, 0}, {15, 0}));
    // ... and so does a cross product just under the threshold.
    // (They do meet near x = 50.00005, but 100 x 8e-7 is below 0.0001.)
    EXPECT_FALSE(pen_segments_cross({0, 0}, {100, 0}, {50, -0.0000004}, {50.0001, 0.0000004}));
    EXPECT_TRUE(pen_segments_cross({0, 0}, {100, 0}, {50, -0.000004}, {50.0001, 0.000004}));
}

TEST(PenHit, SegmentToPathDistanceCases) {
    // A point path: the point to the segment.
    EXPECT_DOUBLE_EQ(pen_segment_path_distance({0, 0}, {10, 0}, {5, 7}, {5, 7}), 7);
    // A dot: the dot to the path.
    EXPECT_DOUBLE_EQ(pen_segment_path_distance({5, 7}, {5, 7}, {0, 0}, {10, 0}), 7);
    // Crossing: nothing between them, however far the ends are.
    EXPECT_DOUBLE_EQ(pen_segment_path_distance({-100, 0}, {100, 0}, {0, -100}, {0, 100}), 0);
    // Parallel and apart: the nearest of the four end distances.
    EXPECT_DOUBLE_EQ(pen_segment_path_distance({0, 0}, {10, 0}, {2, 6}, {8, 6}), 6);
    // Collinear and overlapping is not "crossing", but an end lies on the other: 0.
    EXPECT_DOUBLE_EQ(pen_segment_path_distance({0, 0}, {10, 0}, {5, 0}, {15, 0}), 0);
    // Skew: from the segment's end to the middle of the path.
    EXPECT_DOUBLE_EQ(pen_segment_path_distance({0, 0}, {4, 0}, {7, -5}, {7, 5}), 3);
    EXPECT_NEAR(pen_segment_path_distance({6, 1}, {7, 4}, {0, 0}, {10, 10}), 2.1213, 1e-4);  // 3 / sqrt(2)
}

TEST(PenHit, EraserRadiusIsInclusive) {
    PageMarks m;
    marks_add_pen(&m, seg(0, 15, 100, 15));          // exactly 15 from the path
    marks_add_pen(&m, seg(0, -15.01, 100, -15.01));  // just outside
    marks_add_pen(&m, seg(50, 15, 50, 15));          // a dot at 15
    EXPECT_EQ(pen_erase(&m, {50, 0}, {50, 0}), 2);
    ASSERT_EQ(m.pen.size(), 1u);
    EXPECT_EQ(m.pen[0].y0, -15.01);
}

TEST(PenHit, EraseTakesOnlyTouchedSegmentsAndKeepsTheOrder) {
    PageMarks m;
    marks_add_pen(&m, seg(0, 0, 10, 0, 1));
    marks_add_pen(&m, seg(-500, 200, 500, 200, 2));  // crossed in the middle, ends far away
    marks_add_pen(&m, seg(100, 100, 110, 100, 3));
    marks_add_pen(&m, seg(300, 300, 300, 300, 4));  // a dot far off
    marks_add_pen(&m, seg(5, 5, 5, 5, 5));          // a dot near the first
    // A path across the long segment only.
    EXPECT_EQ(pen_erase(&m, {0, 150}, {0, 250}), 1);
    ASSERT_EQ(m.pen.size(), 4u);
    EXPECT_EQ(m.pen[0].colour, 1u);
    EXPECT_EQ(m.pen[1].colour, 3u);
    EXPECT_EQ(m.pen[2].colour, 4u);
    EXPECT_EQ(m.pen[3].colour, 5u);
    // A point near the start removes the first and the nearby dot, nothing else.
    EXPECT_EQ(pen_erase(&m, {3, 3}, {3, 3}), 2);
    ASSERT_EQ(m.pen.size(), 2u);
    EXPECT_EQ(m.pen[0].colour, 3u);
    EXPECT_EQ(m.pen[1].colour, 4u);
    EXPECT_EQ(pen_erase(&m, {1000, 1000}, {1000, 1000}), 0);
    EXPECT_EQ(pen_erase(nullptr, {0, 0}, {0, 0}), 0);
}

TEST(PenMarks, ClearAndQueriesAcrossPages) {
    MarkTable t;
    EXPECT_FALSE(marks_any_page_has_pen(&t));
    PageMarks* two = marks_for(&t, 2, 3);
    ASSERT_NE(two, nullptr);
    EXPECT_FALSE(marks_clear_pen(two));  // nothing to clear
    marks_add_whiteout(two, PageRect{1, 1, 2, 2});
    EXPECT_TRUE(marks_burn_in(two));
    EXPECT_FALSE(marks_any_page_has_pen(&t));
    marks_add_pen(two, seg(1, 1, 1, 1));
    EXPECT_TRUE(marks_any_page_has_pen(&t));
    EXPECT_TRUE(marks_has_pen(marks_find(&t, 2)));
    EXPECT_FALSE(marks_has_pen(marks_find(&t, 0)));
    EXPECT_TRUE(marks_clear_pen(two));
    EXPECT_FALSE(marks_any_page_has_pen(&t));
    EXPECT_TRUE(two->whiteouts.size() == 1);  // clearing the pen leaves the white-outs
    marks_clear_whiteouts(two);
    EXPECT_FALSE(marks_burn_in(two));
    marks_set_crop(two, PageRect{0, 0, 1, 1});
    EXPECT_FALSE(marks_burn_in(two));  // the crop is not burnt in
}
