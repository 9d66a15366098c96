// interfaces::OptionsWindow: what the options dialog offers the browser window.
#pragma once

namespace interfaces {

class OptionsWindow {
public:
    // Shows the dialog on its "General" page, loaded when it was hidden, in front.
    virtual void open() = 0;
    // Save Window Locations: the positions of the three windows to GLIM.INI.
    virtual void saveWindowLocations() = 0;

protected:
    ~OptionsWindow() = default;
};

} // namespace interfaces
