#pragma once

namespace reports {

// The zoom steps of the preview: 0 (the page fitted to the window), 200, 400 and 800 pixels
// more than the window in each direction.
class PreviewZoom {
public:
    int Level() const { return level_; }
    bool CanZoomIn() const { return level_ < 800; }
    bool CanZoomOut() const { return level_ > 0; }
    void ZoomIn();
    void ZoomOut();
    void Reset() { level_ = 0; }

    // The new scroll position when the scroll range changes from oldMaximum to newMaximum: the
    // same share of the range; coming from the fitted page, the middle.
    static int ScrollPosition(int oldValue, int oldMaximum, int newMaximum, bool fromFitted);

    // Along one direction of the view: the scroll value that keeps the point under the view's
    // centre in place when the sheet goes from oldStart (in the view, scrolled) and oldLength to
    // newStart (unscrolled) and newLength; within 0 and maximum.
    static int CentreKept(int viewLength, int oldStart, int oldLength, int newStart, int newLength,
                          int maximum);

private:
    int level_ = 0;
};

}  // namespace reports
