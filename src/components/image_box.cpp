#include "components/image_box.h"

#include "components/decoders/decode.h"
#include "components/image_box_geometry.h"
#include "components/jpeg_writer.h"
#include "components/picture_loader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QMovie>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kPreviewSide = 200;

} // namespace

TGvbox::TGvbox(Mode mode, QWidget* parent, components::PictureLoader* loader)
    : QWidget(parent), mode_(mode),
      loader_(loader ? loader : &components::PictureLoader::shared()) {
    if (mode_ == Mode::Preview)
        resize(kPreviewSide, kPreviewSide);
    else
        fitToZoom();
    staleTimer_.setSingleShot(true);
    staleTimer_.setInterval(kStaleMs);
    connect(&staleTimer_, &QTimer::timeout, this, &TGvbox::dropStalePicture);
    // The pointer shows that the picture is still coming when its decode takes a while.
    busyTimer_.setSingleShot(true);
    busyTimer_.setInterval(decoders::kSlowDecodeMs);
    connect(&busyTimer_, &QTimer::timeout, this, [this] { setCursor(Qt::BusyCursor); });
}

TGvbox::~TGvbox() {
    loader_->release(this);
}

void TGvbox::clear() {
    movie_.reset();
    movieFile_.reset();
    // A large picture takes milliseconds to unmap: the loader lets go of it on its own thread.
    loader_->discard(std::exchange(shown_, decoders::Picture()).image);
    loader_->discard(std::exchange(shrunk_, QImage()));
    fitted_ = QPixmap();
}

QSize TGvbox::decodeHint() const {
    // The preview needs only enough pixels to fill its box, counted in the screen's own pixels:
    // on a scaled screen the 200 x 200 box covers more of them, and shows them all.
    return mode_ == Mode::Preview ? components::devicePixels(size(), devicePixelRatioF()) : QSize();
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
    movie_.reset();
    movieFile_.reset();
    pending_.reset();
    identity_.reset();
    busyTimer_.stop();
    unsetCursor();
    const int fd = nativePath.isEmpty() ? -1
                                        : ::open(nativePath.constData(),
                                                 O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    identity_ = components::identityOf(fd);
    if (!identity_) {
        if (fd >= 0)
            ::close(fd);
        showUnreadable();
        return;
    }
    const components::PictureKey key{*identity_, decodeHint()};
    // Pixels decoded ahead are shown at once. A decode that failed ahead is told the way a
    // background failure is, after the facts: the status line reads the same either way.
    if (const std::optional<decoders::Picture> ready = loader_->cached(key); ready && ready->ok()) {
        ::close(fd);
        loader_->shown(this, key);
        adopt(*ready);
        return;
    }
    // The facts now, from the header; the pixels when the loader has them.
    decoders::DecodeOptions options;
    bool hourglass = false;
    options.onSlow = [&hourglass] {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        hourglass = true;
    };
    decoders::Picture facts = decoders::readOpenFileFacts(fd, nativePath, options);
    if (hourglass)
        QGuiApplication::restoreOverrideCursor();
    if (!facts.error.isEmpty() || facts.width <= 0 || facts.height <= 0) {
        ::close(fd);
        showUnreadable();
        return;
    }
    facts_ = facts;
    pending_ = key;
    loader_->request(this, key, fd, nativePath,
                     [this, key](const decoders::Picture& p) { onPixels(key, p); });
    ::close(fd);
    busyTimer_.start();
    // The previous picture stays a moment, so a quick decode replaces it without a blank.
    if (shown_.image.isNull())
        update();
    else if (!staleTimer_.isActive())
        staleTimer_.start();
    fitToZoom();
}

void TGvbox::showUnreadable() {
    loader_->release(this);
    pending_.reset();
    staleTimer_.stop();
    busyTimer_.stop();
    unsetCursor();
    facts_ = decoders::Picture();
    clear();
    fitToZoom();
    update();
}

void TGvbox::adopt(const decoders::Picture& picture) {
    if (!picture.ok()) {
        showUnreadable();
        return;
    }
    pending_.reset();
    staleTimer_.stop();
    busyTimer_.stop();
    unsetCursor();
    clear();
    facts_ = picture;
    facts_.image = QImage();
    shown_ = picture;
    if (shown_.animated)
        startAnimation();
    fitToZoom();
    update();
}

void TGvbox::onPixels(const components::PictureKey& key, const decoders::Picture& picture) {
    if (!pending_ || !(*pending_ == key))
        return;
    adopt(picture);
    emit pixelsReady();
}

void TGvbox::dropStalePicture() {
    if (!pending_)
        return;
    clear();
    update();
}

bool TGvbox::waitForPixels(int timeoutMs) {
    if (!pending_)
        return true;
    if (timeoutMs < 0)
        timeoutMs = int(decoders::decodeBudget().seconds * 1000) + 5000;
    const components::PictureKey key = *pending_;
    if (const std::optional<decoders::Picture> p = loader_->waitFor(this, timeoutMs))
        onPixels(key, *p);
    return !pending_;
}

void TGvbox::startAnimation() {
    if (qint64(shown_.width) * shown_.height > kAnimationPixels)
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
    shown_.image = frame;
    fitted_ = QPixmap();
    shrunk_ = QImage();
    update();
}

void TGvbox::setZoom(float zoom) {
    if (!(zoom > 0))
        return;
    zoom_ = zoom;
    loader_->discard(std::exchange(shrunk_, QImage()));
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
    setJPGSaveNativeName(QFile::encodeName(path));
}

void TGvbox::setJPGSaveNativeName(const QByteArray& nativePath) {
    const platform::NativePath path(nativePath);
    jpgSaveName_ = path.display();
    waitForPixels();
    QImage full = shown_.image;
    if (!full.isNull() && full.size() != QSize(bmpw(), bmph())) {
        // The preview holds reduced pixels: the full-size window's, when it has them, else a
        // decode of the whole picture.
        std::optional<decoders::Picture> decoded;
        if (identity_)
            decoded = loader_->cachedFullSize(*identity_);
        full = decoded ? decoded->image : decoders::decodeFile(nativeName_).image;
    }
    components::writeJpeg(full, path);
}

void TGvbox::Refresh() {
    fitted_ = QPixmap();
    repaint();
}

void TGvbox::paintEvent(QPaintEvent* event) {
    if (shown_.image.isNull())
        return;
    QPainter painter(this);
    if (mode_ == Mode::Preview)
        paintPreview(painter);
    else
        paintZoomed(painter, event->rect());
}

void TGvbox::paintPreview(QPainter& painter) {
    // Placed in logical pixels, drawn in the device's: the shrunk picture has as many pixels
    // as the screen shows in its place, so it is sharp at any scale.
    const QSize target = components::fitInBox(QSize(shown_.width, shown_.height), size());
    if (target.isEmpty())
        return;
    const qreal ratio = painter.device()->devicePixelRatioF();
    const QSize pixels = components::devicePixels(target, ratio);
    if (fitted_.size() != pixels || fitted_.devicePixelRatio() != ratio) {
        const QImage& image = shown_.image;
        fitted_ =
            QPixmap::fromImage(image.size() == pixels ? image
                                                      : image.scaled(pixels, Qt::IgnoreAspectRatio,
                                                                     Qt::SmoothTransformation));
        fitted_.setDevicePixelRatio(ratio);
    }
    // Centred on whole logical pixels.
    const QPoint at((width() - target.width()) / 2, (height() - target.height()) / 2);
    painter.drawPixmap(QRectF(QRect(at, target)), fitted_, QRectF(QPointF(0, 0), QSizeF(pixels)));
}

void TGvbox::paintZoomed(QPainter& painter, const QRect& exposed) {
    const QImage& image = shown_.image;
    const qreal ratio = painter.device()->devicePixelRatioF();
    // The pixels may be fewer than the picture has (a camera RAW shows the smaller preview the
    // camera embedded): they are drawn at the picture's size.
    const QSize full(shown_.width, shown_.height); // the previous picture's while it stays
    const bool ownPixels = full.isEmpty() || image.size() == full;
    const QSize zoomed = components::zoomedSize(ownPixels ? image.size() : full, zoom_);
    const double sx = ownPixels ? zoom_ : double(zoomed.width()) / image.width();
    const double sy = ownPixels ? zoom_ : double(zoomed.height()) / image.height();
    if (sx * ratio < 1.0 && sy * ratio < 1.0) {
        // Shrunk once, smoothly, to the screen's own pixels (more than the logical ones on a
        // scaled screen); the result is smaller than the picture itself. A 1- or 8-bit picture
        // is first averaged by whole blocks through its palette, as Qt's smooth scaling would
        // convert all of it to 32 bits first.
        const QSize pixels = components::devicePixels(zoomed, ratio);
        if (shrunk_.size() != pixels) {
            const int r =
                image.depth() <= 8 && !pixels.isEmpty()
                    ? std::min(image.width() / pixels.width(), image.height() / pixels.height())
                    : 1;
            shrunk_ = (r >= 2 ? decoders::shrinkByBlocks(image, r) : image)
                          .scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            shrunk_.setDevicePixelRatio(ratio);
        }
        const QRectF from(QPointF(exposed.topLeft()) * ratio, QSizeF(exposed.size()) * ratio);
        painter.drawImage(QRectF(exposed), shrunk_, from);
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
