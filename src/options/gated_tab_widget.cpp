#include "options/gated_tab_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>
#include <QWheelEvent>

namespace {

class GatedTabBar : public QTabBar {
public:
    explicit GatedTabBar(GatedTabWidget* owner) : QTabBar(owner), owner_(owner) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        const int to = tabAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && to >= 0 && to != currentIndex()) {
            owner_->userSelect(to);
            event->accept();
            return;
        }
        QTabBar::mousePressEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        int to = -1;
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            to = currentIndex() - 1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            to = currentIndex() + 1;
            break;
        case Qt::Key_Home:
            to = 0;
            break;
        case Qt::Key_End:
            to = count() - 1;
            break;
        default:
            QTabBar::keyPressEvent(event);
            return;
        }
        if (to >= 0 && to < count() && to != currentIndex())
            owner_->userSelect(to);
        event->accept();
    }
    // The wheel would flip pages past the gate.
    void wheelEvent(QWheelEvent* event) override { event->ignore(); }

private:
    GatedTabWidget* owner_;
};

} // namespace

GatedTabWidget::GatedTabWidget(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new GatedTabBar(this));
}

void GatedTabWidget::userSelect(int to) {
    if (to == currentIndex() || to < 0 || to >= count())
        return;
    if (gate && !gate(to))
        return;
    setCurrentIndex(to);
}

void GatedTabWidget::keyPressEvent(QKeyEvent* event) {
    const bool next =
        (event->key() == Qt::Key_Tab && event->modifiers() & Qt::ControlModifier) ||
        (event->key() == Qt::Key_PageDown && event->modifiers() & Qt::ControlModifier);
    const bool previous =
        (event->key() == Qt::Key_Backtab && event->modifiers() & Qt::ControlModifier) ||
        (event->key() == Qt::Key_PageUp && event->modifiers() & Qt::ControlModifier);
    if (next || previous) {
        const int n = count();
        if (n > 1)
            userSelect((currentIndex() + (next ? 1 : n - 1)) % n);
        event->accept();
        return;
    }
    QTabWidget::keyPressEvent(event);
}
