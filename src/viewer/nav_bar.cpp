#include "viewer/nav_bar.h"

#include "about/help_context.h"
#include "interfaces/browser.h"
#include "platform/control_look.h"
#include "platform/error_box.h"
#include "platform/window_placement.h"
#include "settings/settings.h"
#include "viewer/full_size_window.h"
#include "viewer/zoom.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QIcon>
#include <QMenu>
#include <QToolButton>

namespace {

QIcon navIcon(const QString& name) {
    QIcon icon;
    icon.addFile(QStringLiteral(":/navbar/%1.svg").arg(name), {}, QIcon::Normal);
    icon.addFile(QStringLiteral(":/navbar/%1_disabled.svg").arg(name), {}, QIcon::Disabled);
    return icon;
}

} // namespace

TNavBarForm::TNavBarForm(interfaces::Browser* browser, TForm2* fullSize, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      browser_(browser), fullSize_(fullSize) {
    setObjectName(QStringLiteral("NavBarForm"));
    setWindowTitle(QStringLiteral("Glimra NavBar"));
    setFixedSize(kClientWidth, kClientHeight);
    about::setHelpContext(this, 1);
    // The bar is used while another Glimra window has the keyboard: its hints show on hover
    // whichever window is active.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    const auto button = [this](int left, int width, const QString& icon, const QString& hint,
                               int iconSize, void (TNavBarForm::*handler)(QObject*)) {
        auto* b = new QToolButton(this);
        b->setGeometry(left, 0, width, 27);
        b->setAutoRaise(true);
        b->setIcon(navIcon(icon));
        b->setIconSize(QSize(iconSize, iconSize));
        b->setToolTip(hint);
        b->setAccessibleName(hint);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, handler, b] {
            platform::guarded([this, handler, b] { (this->*handler)(b); });
        });
        return b;
    };
    SpeedButton2 = button(0, 31, "zoom_in", "Zoom In", 16, &TNavBarForm::SpeedButton2Click);
    SpeedButton3 = button(32, 31, "zoom_out", "Zoom Out", 16, &TNavBarForm::SpeedButton3Click);
    SpeedButton1 = button(64, 31, "bring_front", "Bring Full Size Window to Front", 16,
                          &TNavBarForm::SpeedButton1Click);
    SpeedButton9 = button(96, 31, "send_back", "Send Full Size Window to Back", 16,
                          &TNavBarForm::SpeedButton9Click);
    SpeedButton8 = button(128, 31, "toggle_full_size", "Toggle Full Size Window", 16,
                          &TNavBarForm::SpeedButton8Click);
    SpeedButton8->setCheckable(true);
    platform::showCheckedState(SpeedButton8);
    SpeedButton4 =
        button(160, 33, "previous", "Previous Image", 16, &TNavBarForm::SpeedButton4Click);
    SpeedButton5 = button(194, 33, "next", "Next Image", 16, &TNavBarForm::SpeedButton5Click);
    SpeedButton6 = button(228, 33, "save_jpeg", "Save Current Image as JPEG", 16,
                          &TNavBarForm::SpeedButton6Click);
    SpeedButton7 = button(262, 33, "exit", "Exit Glimra", 18, &TNavBarForm::SpeedButton7Click);
    setWindowButtonsEnabled(false);
    about::installHelpKey(this);

    platform::moveOuter(this, {689, 110});
    platform::guarded([this] { FormCreate(nullptr); });
}

void TNavBarForm::FormCreate(QObject*) {
    const settings::Settings ini;
    // Each edge is set as it is read, and the window kept on the screen at once: a bad top
    // still leaves the window where it can be seen.
    const int left = ini.readInteger(settings::keys::NavBarLeft);
    platform::moveOuter(this, platform::keepOnScreen({left, y()}, frameGeometry().size()));
    const int top = ini.readInteger(settings::keys::NavBarTop);
    platform::moveOuter(this, platform::keepOnScreen({left, top}, frameGeometry().size()));
}

void TNavBarForm::setWindowButtonsEnabled(bool enabled) {
    for (QToolButton* b : {SpeedButton2, SpeedButton3, SpeedButton1, SpeedButton9})
        b->setEnabled(enabled);
}

void TNavBarForm::setShown(bool shown) {
    if (shown)
        show();
    else
        close();
}

void TNavBarForm::fullSizeWindowShown() {
    if (!isVisible())
        return;
    SpeedButton8->setChecked(true);
    SpeedButton9->setEnabled(true);
    SpeedButton1->setEnabled(true);
}

void TNavBarForm::fullSizeWindowClosed() {
    setWindowButtonsEnabled(false);
    SpeedButton8->setChecked(false);
}

void TNavBarForm::zoomStepShown(int step) {
    ZoomStep = step;
    if (!isVisible())
        return;
    SpeedButton2->setEnabled(viewer::zoomInEnabled(step));
    SpeedButton3->setEnabled(viewer::zoomOutEnabled(step));
}

void TNavBarForm::SpeedButton2Click(QObject*) {
    ++ZoomStep;
    if (ZoomStep >= 1 && ZoomStep <= 7)
        fullSize_->zoomToStep(ZoomStep);
}

void TNavBarForm::SpeedButton3Click(QObject*) {
    --ZoomStep;
    if (ZoomStep >= 0 && ZoomStep <= 6)
        fullSize_->zoomToStep(ZoomStep);
}

void TNavBarForm::SpeedButton1Click(QObject*) {
    fullSize_->raise();
    fullSize_->activateWindow();
}

void TNavBarForm::SpeedButton9Click(QObject*) {
    browser_->bringToFront();
}

void TNavBarForm::SpeedButton8Click(QObject*) {
    if (SpeedButton8->isChecked()) {
        if (browser_->selectedFile().shown.isEmpty()) {
            SpeedButton8->setChecked(false);
            return;
        }
        setWindowButtonsEnabled(true);
        browser_->displayFullSize();
        return;
    }
    fullSize_->close();
    setWindowButtonsEnabled(false);
}

void TNavBarForm::stepBrowser(int delta) {
    const int i = browser_->selectedRow();
    if (delta > 0 ? i == browser_->rowCount() - 1 : i == 0)
        return;
    // From no selection, Previous selects no row again.
    browser_->selectRow(i + delta < 0 ? -1 : i + delta);
    browser_->previewSelection();
}

void TNavBarForm::SpeedButton4Click(QObject*) {
    if (fullSize_->isVisible())
        fullSize_->PreviousImage1Click(nullptr);
    else
        stepBrowser(-1);
}

void TNavBarForm::SpeedButton5Click(QObject*) {
    if (fullSize_->isVisible())
        fullSize_->NextImage1Click(nullptr);
    else
        stepBrowser(+1);
}

void TNavBarForm::SpeedButton6Click(QObject*) {
    browser_->saveAsJpeg();
}

void TNavBarForm::SpeedButton7Click(QObject*) {
    browser_->closeProgram();
}

void TNavBarForm::closeEvent(QCloseEvent* event) {
    event->accept();
    QWidget::closeEvent(event);
    if (browser_)
        browser_->navigationBarClosed();
}

void TNavBarForm::contextMenuEvent(QContextMenuEvent* event) {
    if (browser_)
        browser_->popupMenu(event->globalPos());
}
