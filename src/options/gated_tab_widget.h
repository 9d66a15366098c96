// A tab widget whose user-started page changes pass a gate first; changes made by the
// program do not.
#pragma once

#include <QTabWidget>
#include <functional>

class GatedTabWidget : public QTabWidget {
    Q_OBJECT
public:
    explicit GatedTabWidget(QWidget* parent = nullptr);

    // Asked before the user turns to page `to`; false keeps the current page.
    std::function<bool(int to)> gate;

    // A change the user asked for: runs the gate, then changes the page if allowed.
    void userSelect(int to);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
