#include "app/application.h"

#include "about/about_box.h"
#include "about/help_context.h"
#include "about/help_viewer.h"
#include "app/command_line.h"
#include "browser/browser_window.h"
#include "options/options_dialog.h"
#include "options/password_dialog.h"
#include "platform/display_session.h"
#include "platform/error_box.h"
#include "platform/version.h"
#include "viewer/full_size_window.h"
#include "viewer/nav_bar.h"

#include <QApplication>
#include <QStringList>
#include <iostream>
#include <memory>

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TAboutBox* AboutBox = nullptr;
TPagesDlg* PagesDlg = nullptr;
TNavBarForm* NavBarForm = nullptr;
TPasswordDlg* PasswordDlg = nullptr;

namespace app {

WindowSet::WindowSet(const QList<QByteArray>& arguments) {
    // The browser's creation touches no other window, so it comes first. Each window is given
    // the windows created before it; the later ones are linked once all exist.
    form1_ = std::make_unique<TForm1>(arguments);
    Form1 = form1_.get();
    form2_ = std::make_unique<TForm2>(form1_.get());
    Form2 = form2_.get();
    aboutBox_ = std::make_unique<TAboutBox>();
    AboutBox = aboutBox_.get();
    passwordDlg_ = std::make_unique<TPasswordDlg>();
    pagesDlg_ = std::make_unique<TPagesDlg>(form1_.get(), passwordDlg_.get());
    PagesDlg = pagesDlg_.get();
    navBar_ = std::make_unique<TNavBarForm>(form1_.get(), form2_.get());
    NavBarForm = navBar_.get();
    PasswordDlg = passwordDlg_.get();

    form1_->setLinks({form2_.get(), navBar_.get(), pagesDlg_.get(), aboutBox_.get()});
    form2_->setNavigationBar(navBar_.get());
    pagesDlg_->setPlacedWindows(form2_.get(), navBar_.get());
}

WindowSet::~WindowSet() {
    // Links first, so no window reaches one that is gone; then later windows before earlier.
    form1_->setLinks({});
    form2_->setNavigationBar(nullptr);
    pagesDlg_->setPlacedWindows(nullptr, nullptr);
    PasswordDlg = nullptr;
    NavBarForm = nullptr;
    navBar_.reset();
    PagesDlg = nullptr;
    pagesDlg_.reset();
    passwordDlg_.reset();
    AboutBox = nullptr;
    aboutBox_.reset();
    Form2 = nullptr;
    form2_.reset();
    Form1 = nullptr;
    form1_.reset();
}

int run(int argc, char** argv) {
    if (isTerminalOption(argc, argv)) {
        const QCoreApplication core(argc, argv);
        return runTerminalOption(argc, argv, std::cout).value_or(0);
    }
    // 1. The application object, on X11 (XWayland in a Wayland session) unless the user chose.
    platform::chooseDisplayPlatform(argc, argv);
    QApplication application(argc, argv);
    // 2. The application title names the error box; it is not a display name, so the toolkit
    // appends nothing to window captions.
    QApplication::setApplicationName(QStringLiteral("glimra"));
    QApplication::setApplicationVersion(QStringLiteral(GLIMRA_VERSION));
    // The browser window ends the program, whatever other windows are still shown.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("glimra"));

    // 3. The windows, in order. Only the first command-line argument is used. The arguments are
    // taken as their bytes (the toolkit has removed its own options from argv by now): a folder
    // name that is not valid UTF-8 is reached exactly.
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    WindowSet windows(arguments);
    QObject::connect(Form1, &TForm1::closed, &application, &QApplication::quit);
    Form1->show();
    NavBarForm->show();

    // 4. The message loop; nothing is written at exit.
    const int code = QApplication::exec();
    about::WinHelp(about::applicationHelpFile(), about::HELP_QUIT, 0);
    return code;
}

} // namespace app
