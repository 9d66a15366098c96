// The browser window's right pane, its hidden media player and its two menus.
#include "about/help_context.h"
#include "browser/browser_window.h"
#include "components/image_box.h"
#include "components/media_player.h"
#include "platform/control_look.h"
#include "platform/error_box.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QToolButton>

namespace {

QIcon browserIcon(const QString& name) {
    QIcon icon;
    icon.addFile(QStringLiteral(":/browser/%1.svg").arg(name), {}, QIcon::Normal);
    icon.addFile(QStringLiteral(":/browser/%1_disabled.svg").arg(name), {}, QIcon::Disabled);
    return icon;
}

} // namespace

template <typename F> void TForm1::onTriggered(QAction* action, F handler) {
    connect(action, &QAction::triggered, this,
            [this, handler] { platform::guarded([this, handler] { (this->*handler)(nullptr); }); });
}

void TForm1::buildRightPane() {
    Gvbox1 = new TGvbox(TGvbox::Mode::Preview, Panel4);
    Gvbox1->setObjectName(QStringLiteral("Gvbox1"));
    Gvbox1->setGeometry(2, 2, 200, 200);
    Gvbox1->setFocusPolicy(Qt::NoFocus);
    connect(Gvbox1, &TGvbox::clicked, this,
            [this] { platform::guarded([this] { Gvbox1Click(Gvbox1); }); });

    using Handler = void (TForm1::*)(QObject*);
    int left = 4;
    const auto button = [this, &left](const QString& name, const QString& icon, const QString& hint,
                                      Handler handler) {
        auto* b = new QToolButton(Panel4);
        b->setObjectName(name);
        b->setIcon(browserIcon(icon));
        b->setIconSize(QSize(16, 16));
        b->setToolTip(hint);
        b->setAccessibleName(hint);
        b->setGeometry(left, 206, 36, 28);
        b->setFocusPolicy(Qt::NoFocus);
        left += 40;
        connect(b, &QToolButton::clicked, this, [this, handler, b] {
            platform::guarded([this, handler, b] { (this->*handler)(b); });
        });
        return b;
    };
    SpeedButton1 = button(QStringLiteral("SpeedButton1"), QStringLiteral("toggle_navbar"),
                          QStringLiteral("Toggle NavBar"), &TForm1::SpeedButton1Click);
    SpeedButton1->setCheckable(true);
    SpeedButton1->setChecked(true); // the bar is shown at start-up
    platform::showCheckedState(SpeedButton1);
    BitBtn1 = button(QStringLiteral("BitBtn1"), QStringLiteral("full_size"),
                     QStringLiteral("Display Full Size Window"), &TForm1::BitBtn1Click);
    SpeedButton2 = button(QStringLiteral("SpeedButton2"), QStringLiteral("save_jpeg"),
                          QStringLiteral("Save Current Image as JPEG"), &TForm1::SaveasJPEG1Click);
    BitBtn3 = button(QStringLiteral("BitBtn3"), QStringLiteral("options"),
                     QStringLiteral("Set Options"), &TForm1::BitBtn3Click);
    BitBtn2 = button(QStringLiteral("BitBtn2"), QStringLiteral("exit"),
                     QStringLiteral("Exit Glimra"), &TForm1::BitBtn2Click);
    about::setHelpContext(BitBtn1, 1);
    about::setHelpContext(BitBtn2, 1);
    about::setHelpContext(BitBtn3, 2);

    MediaPlayer1 = new TMediaPlayer(Panel1);
    MediaPlayer1->setObjectName(QStringLiteral("MediaPlayer1"));
    MediaPlayer1->hide();
    connect(MediaPlayer1, &TMediaPlayer::OnNotify, this,
            [this] { platform::guarded([this] { MediaPlayer1Notify(MediaPlayer1); }); });
}

void TForm1::buildMenus() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    using Handler = void (TForm1::*)(QObject*);
    const auto item = [this](const char* name, const QString& caption, const QKeySequence& key,
                             Handler handler, int helpContext, bool windowKey = true) {
        auto* action = PopupMenu1->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        if (windowKey && !key.isEmpty())
            addAction(action); // the key works without the menu open
        onTriggered(action, handler);
        about::setHelpContext(action, helpContext);
        return action;
    };
    ExploreFromHere1 = item("ExploreFromHere1", QStringLiteral("&Explore From Here"),
                            QKeySequence(Qt::CTRL | Qt::Key_E), &TForm1::ExploreFromHere1Click, 1);
    // The Open with items work out their state when the menu opens or their key is pressed.
    Openwith1 = item("Openwith1", QStringLiteral("Open with ..."), Qt::Key_F11,
                     &TForm1::Openwith1Click, 1, false);
    Openwith2 = item("Openwith2", QStringLiteral("Open with ..."), Qt::Key_F12,
                     &TForm1::Openwith2Click, 1, false);
    Openwith1->setEnabled(false);
    Openwith2->setEnabled(false);
    PopupMenu1->addSeparator();
    DisplayFullSize1 = item("DisplayFullSize1", QStringLiteral("&Display Full Size"), Qt::Key_F5,
                            &TForm1::BitBtn1Click, 1);
    SaveasJPEG1 = item("SaveasJPEG1", QStringLiteral("&Save as JPEG"),
                       QKeySequence(Qt::CTRL | Qt::Key_S), &TForm1::SaveasJPEG1Click, 0);
    PopupMenu1->addSeparator();
    UseCurrentDirasStartup1 =
        item("UseCurrentDirasStartup1", QStringLiteral("&Use Current Dir as Startup"), {},
             &TForm1::UseCurrentDirasStartup1Click, 1);
    SaveWindowLocations1 = item("SaveWindowLocations1", QStringLiteral("Save &Window Locations"),
                                {}, &TForm1::SaveWindowLocations1Click, 0);
    PopupMenu1->addSeparator();
    DeleteCurrentFile1 =
        item("DeleteCurrentFile1", QStringLiteral("&Delete Current File"),
             QKeySequence(Qt::CTRL | Qt::Key_D), &TForm1::DeleteCurrentFile1Click, 0);
    CopyCurrentFile1 = item("CopyCurrentFile1", QStringLiteral("&Copy Current File"),
                            QKeySequence(Qt::CTRL | Qt::Key_C), &TForm1::CopyCurrentFile1Click, 0);
    MoveCurrentFile1 = item("MoveCurrentFile1", QStringLiteral("&Move Current File"),
                            QKeySequence(Qt::CTRL | Qt::Key_M), &TForm1::MoveCurrentFile1Click, 0);
    PopupMenu1->addSeparator();
    Options2 = item("Options2", QStringLiteral("&Options"), QKeySequence(Qt::CTRL | Qt::Key_O),
                    &TForm1::Options2Click, 1);
    About1 = item("About1", QStringLiteral("&About Glimra"), {}, &TForm1::About1Click, 1);
    connect(PopupMenu1, &QMenu::aboutToShow, this, [this] { updateOpenWithItems(); });

    const auto openWithKey = [this](Qt::Key key, QAction* action) {
        auto* shortcut = new QShortcut(QKeySequence(key), this);
        connect(shortcut, &QShortcut::activated, this, [this, action] {
            updateOpenWithItems();
            if (action->isEnabled())
                action->trigger();
        });
    };
    openWithKey(Qt::Key_F11, Openwith1);
    openWithKey(Qt::Key_F12, Openwith2);

    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    File1 = bar->addMenu(QStringLiteral("&File"));
    Exit1 = File1->addAction(QStringLiteral("E&xit"));
    onTriggered(Exit1, &TForm1::Exit1Click);
    // "&Options" is a menu-bar entry that acts when clicked.
    Options1 = bar->addAction(QStringLiteral("&Options"));
    onTriggered(Options1, &TForm1::Options1Click);
    about::setHelpContext(Options1, 2);
    Help1 = bar->addMenu(QStringLiteral("&Help"));
    Contents1 = Help1->addAction(QStringLiteral("&Help Topics"));
    onTriggered(Contents1, &TForm1::Contents1Click);
    AboutGlimra1 = Help1->addAction(QStringLiteral("&About Glimra"));
    onTriggered(AboutGlimra1, &TForm1::AboutGlimra1Click);
}

void TForm1::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu1->popup(event->globalPos());
    event->accept();
}
