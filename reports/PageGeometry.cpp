#include "PageGeometry.h"

#include <cmath>

namespace reports {

namespace {

long long Thousandths(double inches) {
    return std::llround(inches * 1000);
}

}  // namespace

ContentRect ComputeContent(const DeviceMetrics& d, const Margins& m) {
    // In thousandths of an inch, as page setup gives the margins, the products are exact: in
    // doubles 1.025 in at 200 dpi comes to 204.99999... Integer division truncates toward zero.
    ContentRect c;
    c.left = static_cast<int>((d.dpiX * Thousandths(m.left) - 1000LL * d.offsetX) / 1000);
    c.top = static_cast<int>((d.dpiY * Thousandths(m.top) - 1000LL * d.offsetY) / 1000);
    c.right = static_cast<int>(
        (1000LL * (d.physicalWidth - d.offsetX) - d.dpiX * Thousandths(m.right)) / 1000);
    c.bottom = static_cast<int>(
        (1000LL * (d.physicalHeight - d.offsetY) - d.dpiY * Thousandths(m.bottom)) / 1000);
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
