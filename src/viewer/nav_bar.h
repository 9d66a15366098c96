// TNavBarForm: the always-on-top tool window whose nine buttons zoom, show, hide and step the
// full-size window, save the current picture as JPEG and end the program.
#pragma once

#include "interfaces/navigation_bar.h"

#include <QWidget>

class QToolButton;
class TForm2;

namespace interfaces {
class Browser;
}

class TNavBarForm : public QWidget, public interfaces::NavigationBar {
    Q_OBJECT
public:
    // browser and fullSize: the windows the buttons drive; none in tests of the bar alone.
    TNavBarForm(interfaces::Browser* browser, TForm2* fullSize, QWidget* parent = nullptr);

    QToolButton* SpeedButton1; // Bring Full Size Window to Front
    QToolButton* SpeedButton2; // Zoom In
    QToolButton* SpeedButton3; // Zoom Out
    QToolButton* SpeedButton4; // Previous Image
    QToolButton* SpeedButton5; // Next Image
    QToolButton* SpeedButton6; // Save Current Image as JPEG
    QToolButton* SpeedButton7; // Exit Glimra
    QToolButton* SpeedButton8; // Toggle Full Size Window
    QToolButton* SpeedButton9; // Send Full Size Window to Back

    // The full-size window's current zoom step, 0 (25 %) ... 7 (400 %); not kept in range.
    int ZoomStep = 0;

    void FormCreate(QObject* sender);
    void SpeedButton1Click(QObject* sender);
    void SpeedButton2Click(QObject* sender);
    void SpeedButton3Click(QObject* sender);
    void SpeedButton4Click(QObject* sender);
    void SpeedButton5Click(QObject* sender);
    void SpeedButton6Click(QObject* sender);
    void SpeedButton7Click(QObject* sender);
    void SpeedButton8Click(QObject* sender);
    void SpeedButton9Click(QObject* sender);

    // Enables or disables the four buttons that act on a shown full-size window.
    void setWindowButtonsEnabled(bool enabled);

    // What the browser and the full-size window ask of the bar.
    void setShown(bool shown) override;
    void fullSizeWindowShown() override;
    void fullSizeWindowClosed() override;
    void zoomStepShown(int step) override;

    static constexpr int kClientWidth = 296;
    static constexpr int kClientHeight = 28;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void stepBrowser(int delta);

    interfaces::Browser* browser_;
    TForm2* fullSize_;
};
