// TForm2: the full-size window. It shows the browser's current picture at one of eight zoom
// steps, sizes itself to the zoomed picture within the screen, and steps through the file list.
#pragma once

#include "interfaces/full_size_view.h"

#include <QAction>
#include <QWidget>
#include <array>

class QLabel;
class QMenu;
class QScrollArea;
class TGvbox;

namespace interfaces {
class Browser;
class NavigationBar;
} // namespace interfaces

class TForm2 : public QWidget, public interfaces::FullSizeView {
    Q_OBJECT
public:
    // browser: the window whose file list it steps through and whose preview and player it
    // keeps in step; none in tests of the window alone.
    explicit TForm2(interfaces::Browser* browser = nullptr, QWidget* parent = nullptr);

    // The bar whose zoom buttons follow the window; it is created after this window.
    void setNavigationBar(interfaces::NavigationBar* navBar) { navBar_ = navBar; }

    QScrollArea* Scroller;
    TGvbox* Gvbox1;
    QLabel* Panel1; // status panel, a tab stop

    QMenu* PopupMenu1;
    QAction* PreviousImage1;
    QAction* NextImage1;
    // ZoomIn1 (25 %) ... Zoom4001 (400 %), in step order.
    std::array<QAction*, 8> ZoomItems{};
    QAction* BringGlimratoFront1;
    QAction* CloseFullSizeWindow1;

    // Handlers.
    void FormCreate(QObject* sender);
    void ZoomIn1Click(QObject* sender);
    void Zoom501Click(QObject* sender);
    void Zoom751Click(QObject* sender);
    void Normal1001Click(QObject* sender);
    void ZoomOut1Click(QObject* sender);
    void Zoom2001Click(QObject* sender);
    void Zoom3001Click(QObject* sender);
    void Zoom4001Click(QObject* sender);
    void NextImage1Click(QObject* sender);
    void PreviousImage1Click(QObject* sender);
    void BringGlimratoFront1Click(QObject* sender);
    void CloseFullSizeWindow1Click(QObject* sender);
    void Gvbox1Click(QObject* sender);

    // The zoom operation of step k, 0 ... 7: factor, caption, the bar's step and buttons, size.
    void zoomToStep(int k);
    // Sizes the client area to the picture at factor, within the screen.
    void FitToImage(float factor);
    // Back to 100 % without touching the caption: an image sized within the screen, a
    // placeholder picture at its own size.
    void resetToNaturalSize(bool placeholder);

    // What the browser asks of the window.
    void showPicture(const QByteArray& nativePath, const QString& status) override;
    void showMediaPicture(const QString& path, const QString& shown) override;
    bool isShown() const override { return isVisible(); }
    void showWindow() override { show(); }
    void raiseWindow() override { raise(); }
    void hideWindow() override { hide(); }

    static constexpr int kPanelHeight = 18;
    static constexpr int kDesignedWidth = 523;
    static constexpr int kDesignedHeight = 424;
    // The least height of the picture area, as high as the window's icon.
    static constexpr int kLeastPictureHeight = 32;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void step(int delta);
    void setClientSize(QSize size);
    // The least size that still shows the whole caption and the window's buttons.
    void keepCaptionReadable();

    interfaces::Browser* browser_;
    interfaces::NavigationBar* navBar_ = nullptr;
};
