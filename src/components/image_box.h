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
// Callers set FileName before reading bmpw, bmph and bmpc: the load is synchronous and the
// three values describe the new picture when setFileName returns (all 0 when the file could
// not be read, and the box is then empty).
#pragma once

#include "components/decoders/picture.h"

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <memory>

class QMovie;

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

    explicit TGvbox(Mode mode, QWidget* parent = nullptr);
    ~TGvbox() override;

    Mode mode() const { return mode_; }

    QString FileName() const { return fileName_; }
    // Loads the file (an empty path empties the box).
    void setFileName(const QString& path);

    float Zoom() const { return zoom_; }
    // Redraws at this scale (0.25 ... 4.0); the full-size box resizes itself to match.
    void setZoom(float zoom);

    // Width and height of the upright picture at full size, and the bits per pixel stored in
    // the file; 0 when no picture is loaded.
    int bmpw() const { return picture_.width; }
    int bmph() const { return picture_.height; }
    int bmpc() const { return picture_.bitsPerPixel; }

    QString JPGSaveName() const { return jpgSaveName_; }
    // Writes the loaded picture at full size to path as a JPEG file before returning. Raises
    // platform::GlimraError with the system's reason when that fails; an existing file at path
    // is then left untouched.
    void setJPGSaveName(const QString& path);

    // Draws the box again.
    void Refresh();

    // The pixels held for drawing (possibly reduced in the preview); for tests and saving.
    const QImage& shownImage() const { return picture_.image; }
    bool isAnimating() const { return movie_ != nullptr; }

signals:
    // A mouse click on the box.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void clear();
    void startAnimation();
    void onFrameChanged();
    void fitToZoom();
    void paintPreview(QPainter& painter);
    void paintZoomed(QPainter& painter, const QRect& exposed);

    Mode mode_;
    QString fileName_;
    QString jpgSaveName_;
    float zoom_ = 1.0f;
    decoders::Picture picture_;
    std::unique_ptr<QMovie> movie_;
    // Drawing caches: the preview's shrunk pixmap and the full-size box's smoothly shrunk
    // picture for zooms below 100 %; both are at most the size of the picture.
    QPixmap fitted_;
    QImage shrunk_;
    bool pressed_ = false;
};
