// TGvbox: the image box. It loads a picture file when its FileName is set, shows it, and
// writes it as JPEG on request; all decoding happens in components/decoders.
//
// An instance works in one of two modes, fixed by the constructor:
//  - Preview: shows the picture inside the box's own size (200 x 200 in the browser), a larger
//    picture shrunk to fit with its aspect ratio kept, a smaller one at its natural size, both
//    centred. It decodes at the smallest scale that still fills the box, so a large photo
//    loads fast.
//  - FullSize: shows the picture at Zoom and takes the size of the zoomed picture, so that a
//    QScrollArea holding it scrolls. Only the exposed part is drawn; the zoomed picture is
//    never built in memory. Shrinking is smooth, enlarging keeps pixels sharp.
//
// Callers set FileName before reading bmpw, bmph and bmpc: the three values describe the new
// picture when setFileName returns, read from the file's header (all 0 when the file could not
// be read, and the box is then empty). The pixels come from a background decode (the shared
// PictureLoader, which decodes neighbours ahead, so a step is usually shown at once) and are
// drawn when they arrive; pixelsReady() says so, and waitForPixels() waits for them. Until they
// arrive the previous picture stays for at most kStaleMs, then the box is empty. A decode that
// fails after a good header leaves the box empty and bmpw, bmph and bmpc at 0, as for a file
// that cannot be read. A header read that runs past 300 ms shows the hourglass; a decode that
// runs past the decode budget is abandoned and the file shown as unreadable.
// Animated GIFs run only while a frame fits the animation budget (kAnimationPixels, and each
// frame decoded within kFrameBudgetMs); otherwise the first frame stays.
#pragma once

#include "components/decoders/picture.h"
#include "components/picture_cache.h"

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

class QFile;
class QMovie;

namespace components {
class PictureLoader;
}

class TGvbox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
    Q_PROPERTY(float Zoom READ Zoom WRITE setZoom)
    Q_PROPERTY(int bmpw READ bmpw)
    Q_PROPERTY(int bmph READ bmph)
    Q_PROPERTY(int bmpc READ bmpc)
    Q_PROPERTY(QString JPGSaveName READ JPGSaveName WRITE setJPGSaveName)

public:
    enum class Mode { Preview, FullSize };

    // loader: where the pixels come from (default: the one the boxes share).
    explicit TGvbox(Mode mode, QWidget* parent = nullptr,
                    components::PictureLoader* loader = nullptr);
    ~TGvbox() override;

    Mode mode() const { return mode_; }

    // Animation budget: canvases up to this many pixels animate, each frame decoded within
    // kFrameBudgetMs on the UI thread; larger or slower ones show their first frame.
    static constexpr qint64 kAnimationPixels = 16'000'000;
    static constexpr int kFrameBudgetMs = 100;
    // How long the previous picture may stay beside a new file's facts.
    static constexpr int kStaleMs = 50;

    QString FileName() const { return fileName_; }
    // Loads path, or fallback when path is empty or gives no picture (a media file's own
    // picture, else its placeholder); true when the fallback is shown.
    bool setFileNameOr(const QString& path, const QString& fallback);
    // Loads the file (an empty path empties the box).
    void setFileName(const QString& path);
    // The same for a path in the file system's own bytes (exact for names that are no valid
    // UTF-8); FileName then reads as its display form.
    void setNativeFileName(const QByteArray& nativePath);

    float Zoom() const { return zoom_; }
    // Redraws at this scale (0.25 ... 4.0); the full-size box resizes itself to match.
    void setZoom(float zoom);

    // Width and height of the upright picture at full size, and the bits per pixel stored in
    // the file; 0 when no picture is loaded.
    int bmpw() const { return facts_.width; }
    int bmph() const { return facts_.height; }
    int bmpc() const { return facts_.bitsPerPixel; }

    // The size the box decodes for: the preview's own size in the screen's pixels, or empty
    // for full size.
    QSize decodeHint() const;
    // Whether the pixels of the current file are still on their way.
    bool pixelsPending() const { return pending_.has_value(); }
    // Waits (without running the event loop) until the pixels of the current file are shown,
    // or timeoutMs passes (default: the decode budget and a margin); true when none are pending.
    bool waitForPixels(int timeoutMs = -1);

    QString JPGSaveName() const { return jpgSaveName_; }
    // Writes the loaded picture at full size to path as a JPEG file before returning (waiting
    // for its pixels when they are still on their way). Raises
    // platform::GlimraError with the system's reason when that fails; an existing file at path
    // is then left untouched.
    void setJPGSaveName(const QString& path);
    // The same for a path in the file system's own bytes; JPGSaveName then reads as its display
    // form.
    void setJPGSaveNativeName(const QByteArray& nativePath);

    // Draws the box again.
    void Refresh();

    // The pixels held for drawing (possibly reduced in the preview); for tests and saving.
    const QImage& shownImage() const { return shown_.image; }
    bool isAnimating() const { return movie_ != nullptr; }

signals:
    // A mouse click on the box.
    void clicked();
    // The pixels of the current file have arrived and are drawn (or the decode failed and the
    // box is empty).
    void pixelsReady();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void load(const QByteArray& nativePath, const QString& shown);
    void showUnreadable();
    void adopt(const decoders::Picture& picture);
    void onPixels(const components::PictureKey& key, const decoders::Picture& picture);
    void dropStalePicture();
    void clear();
    void startAnimation();
    void onFrameChanged();
    void fitToZoom();
    void paintPreview(QPainter& painter);
    void paintZoomed(QPainter& painter, const QRect& exposed);

    Mode mode_;
    QString fileName_;
    QByteArray nativeName_;
    QString jpgSaveName_;
    float zoom_ = 1.0f;
    components::PictureLoader* loader_;
    // The current file: its facts, its identity, and the key of the pixels still awaited.
    decoders::Picture facts_;
    std::optional<components::FileIdentity> identity_;
    std::optional<components::PictureKey> pending_;
    // The picture drawn: the current file's once its pixels arrive, until then the previous
    // one for at most kStaleMs.
    decoders::Picture shown_;
    QTimer staleTimer_;
    QTimer busyTimer_;
    std::unique_ptr<QFile> movieFile_;
    std::unique_ptr<QMovie> movie_;
    qint64 frameShownAt_ = 0; // monotonic ms when the last frame arrived
    int frameDelay_ = 0;      // the delay the movie asked for before the next one
    int lateFrames_ = 0;      // frames in a row that came too late
    // Drawing caches: the preview's shrunk pixmap and the full-size box's smoothly shrunk
    // picture for zooms below 100 %; both are at most the size of the picture.
    QPixmap fitted_;
    QImage shrunk_;
    bool pressed_ = false;
};
