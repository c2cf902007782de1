#include "PreviewZoom.h"

#include <algorithm>
#include <cmath>

namespace reports {

void PreviewZoom::ZoomIn() {
    level_ = level_ == 0 ? 200 : level_ < 800 ? level_ * 2 : 800;
}

void PreviewZoom::ZoomOut() {
    level_ = level_ <= 200 ? 0 : level_ / 2;
}

int PreviewZoom::ScrollPosition(int oldValue, int oldMaximum, int newMaximum, bool fromFitted) {
    if (fromFitted || oldMaximum <= 0) {
        return newMaximum / 2;
    }
    return static_cast<int>(static_cast<long long>(oldValue) * newMaximum / oldMaximum);
}

int PreviewZoom::CentreKept(int viewLength, int oldStart, int oldLength, int newStart,
                            int newLength, int maximum) {
    const double centre = viewLength / 2.0;
    // Where on the sheet the centre is, as a share of its length.
    const double share = oldLength > 0 ? (centre - oldStart) / oldLength : 0.5;
    const long value = std::lround(newStart + share * newLength - centre);
    return static_cast<int>(std::clamp<long>(value, 0, std::max(0, maximum)));
}

}  // namespace reports
