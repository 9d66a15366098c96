// How the window set behaves on a desktop: fixed-size windows offer no maximizing, and the
// navigation bar's hints show while another Glimra window has the keyboard.
#include "about/about_box.h"
#include "browser/browser_window.h"
#include "options/options_dialog.h"
#include "options/password_dialog.h"
#include "viewer/full_size_window.h"
#include "viewer/nav_bar.h"
#include "window_fixture.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

namespace {

class DesktopWindows : public test::WindowFixture {};

TEST_F(DesktopWindows, FixedSizeWindowsOfferNoMaximizing) {
    start();
    PagesDlg->show();
    AboutBox->show();
    PasswordDlg->show();
    for (QWidget* w : {static_cast<QWidget*>(PagesDlg), static_cast<QWidget*>(PasswordDlg),
                       static_cast<QWidget*>(AboutBox), static_cast<QWidget*>(NavBarForm)}) {
        const std::string what = w->windowTitle().toStdString();
        EXPECT_EQ(w->minimumSize(), w->maximumSize()) << what << " can be resized";
        EXPECT_FALSE(w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint)) << what;
    }
    PasswordDlg->hide();
    // The windows the user sizes keep their maximize button.
    for (QWidget* w : {static_cast<QWidget*>(Form1), static_cast<QWidget*>(Form2)})
        EXPECT_NE(w->minimumSize(), w->maximumSize()) << w->windowTitle().toStdString();
}

TEST_F(DesktopWindows, BadSavedTopsLeaveTheViewerAndTheBarOnTheScreen) {
    start("[Locations]\nForm2Left=-4000\nForm2Top=x\nNavBarLeft=99999\nNavBarTop=y\n");
    EXPECT_EQ(dialogs.texts(), (QStringList{"'x' is not a valid integer value.",
                                            "'y' is not a valid integer value."}));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_TRUE(screen.intersects(Form2->frameGeometry())) << "the full-size window is lost";
    EXPECT_TRUE(screen.intersects(NavBarForm->frameGeometry())) << "the bar is lost";
}

TEST_F(DesktopWindows, NavigationBarHintsShowWhileTheBrowserIsActive) {
    start();
    Form1->activateWindow();
    ASSERT_TRUE(waitFor([] { return Form1->isActiveWindow(); }));
    ASSERT_FALSE(NavBarForm->isActiveWindow());

    // The pointer comes to rest on the Next Image button, as the window system reports it.
    QToolButton* next = NavBarForm->SpeedButton5;
    QTest::mouseMove(NavBarForm->windowHandle(), next->mapTo(NavBarForm, next->rect().center()));
    EXPECT_TRUE(waitFor([] { return QToolTip::isVisible(); }, 3000))
        << "the bar's hint does not show while the browser is active";
    EXPECT_EQ(QToolTip::text(), "Next Image");
    QToolTip::hideText();
}

} // namespace
