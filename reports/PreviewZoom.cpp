#include "PreviewZoom.h"

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

}  // namespace reports
