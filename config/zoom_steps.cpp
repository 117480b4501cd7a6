#include "config/zoom_steps.h"

#include <cstdlib>

namespace {
const int* steps(ZoomTable t) { return t == ZoomTable::kImage ? kImageZoomSteps : kMagnifierZoomSteps; }
}  // namespace

int zoom_step_count(ZoomTable t) { return t == ZoomTable::kImage ? kImageZoomStepCount : kMagnifierZoomStepCount; }

int zoom_nearest_step(ZoomTable t, int percent) {
    const int* s = steps(t);
    int best = 0;
    long long best_diff = -1;
    for (int i = 0; i < zoom_step_count(t); ++i) {
        const long long d = llabs((long long)s[i] - percent);
        if (best_diff < 0 || d <= best_diff) {  // <=: the later step wins a tie
            best = i;
            best_diff = d;
        }
    }
    return best;
}

int zoom_step_percent(ZoomTable t, int index) {
    if (index < 0) index = 0;
    if (index >= zoom_step_count(t)) index = zoom_step_count(t) - 1;
    return steps(t)[index];
}

int zoom_index_of_100(ZoomTable t) { return zoom_nearest_step(t, 100); }
