#pragma once
// The fixed zoom steps of the image view and of the magnifier. Both tables run
// from the largest zoom to the smallest and both have 100 % at index 5.
constexpr int kImageZoomSteps[] = {1600, 800, 400, 300, 200, 100, 70, 50, 33, 25, 17, 10, 5};
constexpr int kMagnifierZoomSteps[] = {1600, 800, 400, 300, 200, 100, 90, 80, 70, 60, 50, 40, 30, 20, 10};
constexpr int kImageZoomStepCount = int(sizeof kImageZoomSteps / sizeof kImageZoomSteps[0]);
constexpr int kMagnifierZoomStepCount = int(sizeof kMagnifierZoomSteps / sizeof kMagnifierZoomSteps[0]);

enum class ZoomTable { kImage, kMagnifier };

// The step nearest to `percent`; on a tie the later (smaller) step wins.
int zoom_nearest_step(ZoomTable table, int percent);
// The step's percentage; an index below 0 counts as 0, one past the end as the last.
int zoom_step_percent(ZoomTable table, int index);
int zoom_step_count(ZoomTable table);
int zoom_index_of_100(ZoomTable table);
