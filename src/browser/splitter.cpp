#include "browser/splitter.h"

#include <QMouseEvent>
#include <algorithm>

TSplitter::TSplitter(QWidget* left, QWidget* parent) : QWidget(parent), left_(left) {
    setFixedWidth(kWidth);
    setCursor(Qt::SizeHorCursor);
}

int TSplitter::leftWithin(int wanted, int screenWidth, int restOfWindow) {
    const int widest = screenWidth - kFrameAllowance - restOfWindow;
    return std::clamp(wanted, 0, std::max(widest, 0));
}

int TSplitter::Left() const {
    return left_->width();
}

void TSplitter::setLeft(int left) {
    left_->setFixedWidth(std::max(left, 0));
    emit moved(left_->width());
}

void TSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        grabX_ = int(event->globalPosition().x());
        grabWidth_ = left_->width();
    }
}

void TSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (grabX_ < 0)
        return;
    // Neither the left control nor what lies right of the divider shrinks below kMinSize.
    const int room = parentWidget() ? parentWidget()->width() - kWidth - kMinSize : grabWidth_;
    const int wanted = grabWidth_ + int(event->globalPosition().x()) - grabX_;
    setLeft(std::clamp(wanted, kMinSize, std::max(kMinSize, room)));
}

void TSplitter::mouseReleaseEvent(QMouseEvent*) {
    grabX_ = -1;
}
