#include "viewer/full_size_window.h"

#include "about/help_context.h"
#include "components/image_box.h"
#include "interfaces/browser.h"
#include "interfaces/navigation_bar.h"
#include "platform/error_box.h"
#include "platform/screen.h"
#include "platform/window_caption.h"
#include "platform/window_placement.h"
#include "preview/preview_text.h"
#include "preview/status_panel.h"
#include "settings/settings.h"
#include "viewer/zoom.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

TForm2::TForm2(interfaces::Browser* browser, QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(browser) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Glimra Full Size"));
    about::setHelpContext(this, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Scroller = new QScrollArea(this);
    Scroller->setFrameShape(QFrame::NoFrame);
    Scroller->setWidgetResizable(false);
    // A picture smaller than the window's least size sits in the middle of it.
    Scroller->setAlignment(Qt::AlignCenter);
    Scroller->setMinimumSize(1, 1);
    Gvbox1 = new TGvbox(TGvbox::Mode::FullSize);
    Gvbox1->setObjectName(QStringLiteral("Gvbox1"));
    Gvbox1->setFocusPolicy(Qt::NoFocus);
    Scroller->setWidget(Gvbox1);
    layout->addWidget(Scroller, 1);

    Panel1 = new preview::StatusPanel(QString(), this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setTextFormat(Qt::PlainText); // the status holds a file name, never markup
    Panel1->setFixedHeight(kPanelHeight);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel1->setFocusPolicy(Qt::StrongFocus);
    Panel1->setMinimumWidth(1);
    about::setHelpContext(Panel1, 1);
    layout->addWidget(Panel1);

    PopupMenu1 = new QMenu(this);
    const auto item = [this](const QString& caption, const QKeySequence& key, auto handler) {
        auto* action = PopupMenu1->addAction(caption);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action); // the keys work without the menu open
        connect(action, &QAction::triggered, this, [this, handler] {
            platform::guarded([this, handler] { (this->*handler)(nullptr); });
        });
        return action;
    };
    PreviousImage1 =
        item(QStringLiteral("&Previous Image"), Qt::Key_Insert, &TForm2::PreviousImage1Click);
    NextImage1 = item(QStringLiteral("&Next Image"), Qt::Key_Delete, &TForm2::NextImage1Click);
    PopupMenu1->addSeparator();
    using Handler = void (TForm2::*)(QObject*);
    const Handler zoomHandlers[] = {&TForm2::ZoomIn1Click,  &TForm2::Zoom501Click,
                                    &TForm2::Zoom751Click,  &TForm2::Normal1001Click,
                                    &TForm2::ZoomOut1Click, &TForm2::Zoom2001Click,
                                    &TForm2::Zoom3001Click, &TForm2::Zoom4001Click};
    for (int k = 0; k < viewer::kZoomSteps; ++k) {
        const viewer::ZoomStepInfo& s = viewer::zoomSteps()[size_t(k)];
        ZoomItems[size_t(k)] =
            item(QString::fromLatin1(s.menuCaption), QKeySequence(s.key), zoomHandlers[k]);
        ZoomItems[size_t(k)]->setObjectName(QString::fromLatin1(s.menuItem));
    }
    PopupMenu1->addSeparator();
    BringGlimratoFront1 =
        item(QStringLiteral("&Bring Main Window to Front"), QKeySequence(Qt::CTRL | Qt::Key_B),
             &TForm2::BringGlimratoFront1Click);
    CloseFullSizeWindow1 =
        item(QStringLiteral("Close Window"), Qt::Key_F10, &TForm2::CloseFullSizeWindow1Click);
    // Escape closes the viewer too, as in most picture viewers; the menu names F10.
    CloseFullSizeWindow1->setShortcuts({QKeySequence(Qt::Key_F10), QKeySequence(Qt::Key_Escape)});
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu1->popup(mapToGlobal(at)); });
    connect(Gvbox1, &TGvbox::clicked, this, [this] { Gvbox1Click(Gvbox1); });
    about::installHelpKey(this, PopupMenu1);

    keepCaptionReadable();
    resize(kDesignedWidth, kDesignedHeight);
    platform::moveOuter(this, {2, 2});
    platform::guarded([this] { FormCreate(nullptr); });
}

void TForm2::FormCreate(QObject*) {
    const settings::Settings ini;
    // Each edge is set as it is read, and the window kept on the screen at once: a bad top
    // still leaves the window where it can be seen.
    const int left = ini.readInteger(settings::keys::Form2Left);
    platform::moveOuter(this, platform::keepOnScreen({left, y()}, frameGeometry().size()));
    const int top = ini.readInteger(settings::keys::Form2Top);
    platform::moveOuter(this, platform::keepOnScreen({left, top}, frameGeometry().size()));
}

void TForm2::zoomToStep(int k) {
    const viewer::ZoomStepInfo& s = viewer::zoomSteps()[size_t(k)];
    Gvbox1->setZoom(s.factor);
    setWindowTitle(QString::fromLatin1(s.caption));
    if (navBar_)
        navBar_->zoomStepShown(k);
    FitToImage(s.factor);
}

void TForm2::ZoomIn1Click(QObject*) {
    zoomToStep(0);
}
void TForm2::Zoom501Click(QObject*) {
    zoomToStep(1);
}
void TForm2::Zoom751Click(QObject*) {
    zoomToStep(2);
}
void TForm2::Normal1001Click(QObject*) {
    zoomToStep(3);
}
void TForm2::ZoomOut1Click(QObject*) {
    zoomToStep(4);
}
void TForm2::Zoom2001Click(QObject*) {
    zoomToStep(5);
}
void TForm2::Zoom3001Click(QObject*) {
    zoomToStep(6);
}
void TForm2::Zoom4001Click(QObject*) {
    zoomToStep(7);
}

void TForm2::keepCaptionReadable() {
    // Never so small that the window manager cuts the caption or leaves out the close box: a
    // 32 x 32 picture would otherwise give a window with neither.
    setMinimumSize(platform::captionedWindowWidth(windowTitle()),
                   kPanelHeight + kLeastPictureHeight);
}

void TForm2::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange)
        keepCaptionReadable();
}

void TForm2::setClientSize(QSize size) {
    // The scroll area shows the zoomed picture exactly when it is as large as the client area
    // above the panel.
    resize(size.expandedTo(QSize(1, Panel1->height())));
}

void TForm2::FitToImage(float factor) {
    setClientSize(viewer::fitToImage(Gvbox1->bmpw(), Gvbox1->bmph(), factor, Panel1->height(),
                                     platform::screenSize()));
}

void TForm2::resetToNaturalSize(bool placeholder) {
    Gvbox1->setZoom(1.0f);
    if (navBar_)
        navBar_->zoomStepShown(viewer::kNaturalStep);
    if (placeholder)
        setClientSize(
            viewer::placeholderClientSize(Gvbox1->bmpw(), Gvbox1->bmph(), Panel1->height()));
    else
        FitToImage(1.0f);
}

void TForm2::showPicture(const QByteArray& nativePath, const QString& status) {
    Gvbox1->setNativeFileName(nativePath);
    resetToNaturalSize(false);
    Panel1->setText(status);
}

void TForm2::showMediaPicture(const QString& path, const QString& shown) {
    const QString execDir = browser_ ? browser_->options().ExecDir : QString();
    const bool placeholder =
        Gvbox1->setFileNameOr(preview::ownPictureOf(path), preview::placeholderFor(path, execDir));
    Panel1->setText(shown);
    resetToNaturalSize(placeholder);
}

void TForm2::step(int delta) {
    if (!browser_)
        return;
    const int i = browser_->selectedRow();
    const int n = browser_->rowCount();
    if (delta > 0 ? i == n - 1 : (i == 0 || i == -1))
        return;
    browser_->selectRow(i + delta);

    const interfaces::SelectedFile file = browser_->selectedFile();
    if (!preview::isMediaFile(file.path)) {
        browser_->stopPlaying();
        Gvbox1->setNativeFileName(file.native);
        resetToNaturalSize(false);
        // Both status lines describe the full-size box's picture.
        const QString status =
            preview::imageStatusLine(file.shown, Gvbox1->bmpw(), Gvbox1->bmph(), Gvbox1->bmpc());
        Panel1->setText(status);
        browser_->showPictureInPreview(file.native);
        browser_->showStatus(status);
        browser_->showFileSize(file.path);
        return;
    }
    browser_->showFileSize(file.path);
    browser_->showMediaPictureInPreview(file.path);
    showMediaPicture(file.path, file.shown);
    browser_->playMediaFile(file.path, file.shown);
}

void TForm2::NextImage1Click(QObject*) {
    step(+1);
}

void TForm2::PreviousImage1Click(QObject*) {
    step(-1);
}

void TForm2::BringGlimratoFront1Click(QObject*) {
    if (browser_)
        browser_->bringToFront();
}

void TForm2::CloseFullSizeWindow1Click(QObject*) {
    close();
}

void TForm2::Gvbox1Click(QObject*) {
    Panel1->setFocus();
}

void TForm2::closeEvent(QCloseEvent* event) {
    if (navBar_)
        navBar_->fullSizeWindowClosed();
    if (browser_)
        browser_->fullSizeWindowClosed();
    event->accept();
    QWidget::closeEvent(event);
}
