#include "PageGeometry.h"

namespace reports {

ContentRect ComputeContent(const DeviceMetrics& d, const Margins& m) {
    // Each truncated toward zero, as integer device units are.
    ContentRect c;
    c.left = static_cast<int>(d.dpiX * m.left - d.offsetX);
    c.top = static_cast<int>(d.dpiY * m.top - d.offsetY);
    c.right = static_cast<int>(d.physicalWidth - d.dpiX * m.right - d.offsetX);
    c.bottom = static_cast<int>(d.physicalHeight - d.dpiY * m.bottom - d.offsetY);
    return c;
}

int LeftColumn(const ContentRect& content, int averageCharWidth) {
    return content.left + averageCharWidth;
}

int RightColumn(const ContentRect& content, int averageCharWidth) {
    return LeftColumn(content, averageCharWidth) + (content.right - content.left) / 2;
}

int FontPixelSize(int pointSize, int dpiY) {
    return pointSize * dpiY / 72;
}

}  // namespace reports
