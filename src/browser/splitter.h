// TSplitter: a thin divider that resizes the control on its left when dragged.
#pragma once

#include <QWidget>

class TSplitter : public QWidget {
    Q_OBJECT
public:
    // left: the control whose width the divider sets.
    TSplitter(QWidget* left, QWidget* parent = nullptr);

    // Left edge of the divider, which is the width of the control on its left.
    int Left() const;
    void setLeft(int left);

    static constexpr int kWidth = 3;
    static constexpr int kMinSize = 30;

    // A saved divider position that keeps its window within a screen this wide: no further
    // right than leaves room for the rest of the window at its least width (restOfWindow: all
    // but the pane the divider sizes) and for the window's frame.
    static int leftWithin(int wanted, int screenWidth, int restOfWindow);
    // What a window manager's frame may take of the width, both sides together.
    static constexpr int kFrameAllowance = 16;

signals:
    void moved(int left);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* left_;
    int grabX_ = -1;
    int grabWidth_ = 0;
};
