#include "components/image_box.h"

#include "components/decoders/decode.h"
#include "components/image_box_geometry.h"
#include "components/jpeg_writer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QMovie>
#include <QPaintEvent>
#include <QPainter>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kPreviewSide = 200;

} // namespace

TGvbox::TGvbox(Mode mode, QWidget* parent) : QWidget(parent), mode_(mode) {
    if (mode_ == Mode::Preview)
        resize(kPreviewSide, kPreviewSide);
    else
        fitToZoom();
}

TGvbox::~TGvbox() = default;

void TGvbox::clear() {
    movie_.reset();
    movieFile_.reset();
    picture_ = decoders::Picture();
    fitted_ = QPixmap();
    shrunk_ = QImage();
}

bool TGvbox::setFileNameOr(const QString& path, const QString& fallback) {
    if (!path.isEmpty()) {
        setFileName(path);
        if (bmpw() > 0)
            return false;
    }
    setFileName(fallback);
    return true;
}

void TGvbox::setFileName(const QString& path) {
    load(QFile::encodeName(path), path);
}

void TGvbox::setNativeFileName(const QByteArray& nativePath) {
    load(nativePath, QFile::decodeName(nativePath));
}

void TGvbox::load(const QByteArray& nativePath, const QString& shown) {
    fileName_ = shown;
    nativeName_ = nativePath;
    clear();
    if (nativePath.isEmpty()) {
        show({});
        return;
    }
    // The preview needs only enough pixels to fill its box.
    decoders::DecodeOptions options;
    options.hint = mode_ == Mode::Preview ? size() : QSize();
    bool hourglass = false;
    options.onSlow = [&hourglass] {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        hourglass = true;
    };
    decoders::Picture loaded = decoders::decodeFile(nativePath, options);
    if (hourglass)
        QGuiApplication::restoreOverrideCursor();
    show(std::move(loaded));
}

void TGvbox::show(decoders::Picture picture) {
    if (picture.ok())
        picture_ = std::move(picture);
    if (picture_.animated)
        startAnimation();
    fitToZoom();
    update();
}

void TGvbox::startAnimation() {
    if (qint64(picture_.width) * picture_.height > kAnimationPixels)
        return;
    auto file = std::make_unique<QFile>();
    const int fd = ::open(nativeName_.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    auto movie = std::make_unique<QMovie>(file.get());
    if (!movie->isValid() || movie->frameCount() == 1)
        return;
    movie->setCacheMode(QMovie::CacheNone);
    connect(movie.get(), &QMovie::frameChanged, this, &TGvbox::onFrameChanged);
    movieFile_ = std::move(file);
    movie_ = std::move(movie);
    frameShownAt_ = 0;
    lateFrames_ = 0;
    movie_->start();
}

void TGvbox::onFrameChanged() {
    const QImage frame = movie_->currentImage();
    if (frame.isNull())
        return;
    // A frame that arrived much later than the movie asked for took that long to decode on
    // this thread (or the thread was busy elsewhere): twice in a row, and the animation stops
    // at this frame.
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    const qint64 now = clock.elapsed();
    const bool late = frameShownAt_ > 0 && now - frameShownAt_ - frameDelay_ > kFrameBudgetMs;
    lateFrames_ = late ? lateFrames_ + 1 : 0;
    frameShownAt_ = now;
    frameDelay_ = movie_->nextFrameDelay();
    if (lateFrames_ >= 2)
        movie_->stop();
    picture_.image = frame;
    fitted_ = QPixmap();
    shrunk_ = QImage();
    update();
}

void TGvbox::setZoom(float zoom) {
    if (!(zoom > 0))
        return;
    zoom_ = zoom;
    shrunk_ = QImage();
    fitToZoom();
    update();
}

void TGvbox::fitToZoom() {
    if (mode_ != Mode::FullSize)
        return;
    const QSize zoomed = components::zoomedSize(QSize(bmpw(), bmph()), zoom_);
    setFixedSize(zoomed.isEmpty() ? QSize(0, 0) : zoomed);
}

void TGvbox::setJPGSaveName(const QString& path) {
    jpgSaveName_ = path;
    QImage full = picture_.image;
    if (!full.isNull() && full.size() != QSize(bmpw(), bmph()))
        full = decoders::decodeFile(nativeName_).image; // the preview holds reduced pixels
    components::writeJpeg(full, platform::NativePath::fromText(path));
}

void TGvbox::Refresh() {
    fitted_ = QPixmap();
    repaint();
}

void TGvbox::paintEvent(QPaintEvent* event) {
    if (picture_.image.isNull())
        return;
    QPainter painter(this);
    if (mode_ == Mode::Preview)
        paintPreview(painter);
    else
        paintZoomed(painter, event->rect());
}

void TGvbox::paintPreview(QPainter& painter) {
    const QSize target = components::fitInBox(QSize(bmpw(), bmph()), size());
    if (target.isEmpty())
        return;
    if (fitted_.size() != target) {
        const QImage& image = picture_.image;
        fitted_ =
            QPixmap::fromImage(image.size() == target ? image
                                                      : image.scaled(target, Qt::IgnoreAspectRatio,
                                                                     Qt::SmoothTransformation));
    }
    painter.drawPixmap((width() - target.width()) / 2, (height() - target.height()) / 2, fitted_);
}

void TGvbox::paintZoomed(QPainter& painter, const QRect& exposed) {
    const QImage& image = picture_.image;
    // The pixels may be fewer than the picture has (a camera RAW shows the smaller preview the
    // camera embedded): they are drawn at the picture's size.
    const bool ownPixels = image.size() == QSize(bmpw(), bmph());
    const QSize zoomed = components::zoomedSize(QSize(bmpw(), bmph()), zoom_);
    const double sx = ownPixels ? zoom_ : double(zoomed.width()) / image.width();
    const double sy = ownPixels ? zoom_ : double(zoomed.height()) / image.height();
    if (sx < 1.0 && sy < 1.0) {
        // Shrunk once, smoothly; the result is smaller than the picture itself.
        if (shrunk_.size() != zoomed)
            shrunk_ = image.scaled(zoomed, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        painter.drawImage(exposed.topLeft(), shrunk_, exposed);
        return;
    }
    // Enlarged, and only the part that is exposed: pixel by pixel when the picture's own
    // pixels are zoomed, smoothly when a smaller preview stands in for them.
    const QRect source = components::sourceRectFor(exposed, std::min(sx, sy), image.size());
    if (source.isEmpty())
        return;
    const QRectF target(source.left() * sx, source.top() * sy, source.width() * sx,
                        source.height() * sy);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !ownPixels);
    painter.setClipRect(exposed);
    painter.drawImage(target, image, QRectF(source));
}

void TGvbox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void TGvbox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}
