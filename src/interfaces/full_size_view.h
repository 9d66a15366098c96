// interfaces::FullSizeView: what the full-size window offers the browser window.
#pragma once

#include <QByteArray>
#include <QString>

namespace interfaces {

class FullSizeView {
public:
    // Loads a picture (by its path's own bytes) at 100 %, sized within the screen, with this
    // status text.
    virtual void showPicture(const QByteArray& nativePath, const QString& status) = 0;
    // Loads the picture of a media file (path readable by the readers), with the file's name as
    // the status text: the picture the file carries (cover art, a video frame) sized within the
    // screen where it has one, else its placeholder picture at its own size.
    virtual void showMediaPicture(const QString& path, const QString& shown) = 0;

    virtual bool isShown() const = 0;
    virtual void showWindow() = 0;
    virtual void raiseWindow() = 0;
    virtual void hideWindow() = 0;

protected:
    ~FullSizeView() = default;
};

} // namespace interfaces
