#pragma once

namespace reports {

// What a report needs to know of the device it is laid out for, in the device's units.
struct DeviceMetrics {
    int dpiX = 72;
    int dpiY = 72;
    int physicalWidth = 612;  // the whole sheet
    int physicalHeight = 792;
    int offsetX = 0;  // where the printable area starts on the sheet
    int offsetY = 0;
};

// Margins in inches, counted to the thousandth.
struct Margins {
    double left = 0.5;
    double right = 0.5;
    double top = 0.5;
    double bottom = 0.5;
};

// The page area inside the margins, in the device's coordinates (whose origin is the printable
// area's corner), and the two columns of the reports.
struct ContentRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

ContentRect ComputeContent(const DeviceMetrics& device, const Margins& margins);
// Left column x: content left + the average character width.
int LeftColumn(const ContentRect& content, int averageCharWidth);
// Right column x: left column x + half the content width.
int RightColumn(const ContentRect& content, int averageCharWidth);
// The pixel size of a font of the point size on the device.
int FontPixelSize(int pointSize, int dpiY);

}  // namespace reports
