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
