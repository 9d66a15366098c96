// interfaces::NavigationBar: what the navigation bar offers the browser and the full-size
// window.
#pragma once

namespace interfaces {

class NavigationBar {
public:
    // Toggle NavBar: shows or closes the bar.
    virtual void setShown(bool shown) = 0;
    // The browser showed the full-size window: while the bar is shown, its toggle is down and
    // Bring to Front and Send to Back work.
    virtual void fullSizeWindowShown() = 0;
    // The full-size window closed: its four buttons go grey and the toggle up, also while the
    // bar is hidden.
    virtual void fullSizeWindowClosed() = 0;
    // The full-size window shows zoom step 0 ... 7; while the bar is shown, Zoom In and Zoom
    // Out follow it.
    virtual void zoomStepShown(int step) = 0;

protected:
    ~NavigationBar() = default;
};

} // namespace interfaces
