#include "app/application.h"

#include "about/about_box.h"
#include "about/help_context.h"
#include "about/help_viewer.h"
#include "app/command_line.h"
#include "app/error_box.h"
#include "browser/browser_window.h"

#include <QApplication>
#include <QStringList>
#include <iostream>
#include <memory>

TForm1* Form1 = nullptr;
TAboutBox* AboutBox = nullptr;

namespace app {

int run(int argc, char** argv) {
    if (isTerminalOption(argc, argv)) {
        const QCoreApplication core(argc, argv);
        return runTerminalOption(argc, argv, std::cout).value_or(0);
    }
    // 1. The application object.
    QApplication application(argc, argv);
    // 2. The application title names the error box; it is not a display name, so the toolkit
    // appends nothing to window captions.
    QApplication::setApplicationName(QStringLiteral("glimra"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    // The browser window ends the program, whatever other windows are still shown.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("glimra"));

    // 3. The windows, in order. Only the first command-line argument is used.
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    auto form1 = std::make_unique<TForm1>(arguments);
    Form1 = form1.get();
    QObject::connect(Form1, &TForm1::closed, &application, &QApplication::quit);
    about::setApplicationHelpFile(Form1->HelpFile);
    about::setHelpContext(Form1, 1);
    about::installHelpKey(Form1);
    auto aboutBox = std::make_unique<TAboutBox>();
    AboutBox = aboutBox.get();
    Form1->show();

    // 4. The message loop; nothing is written at exit.
    const int code = QApplication::exec();
    about::WinHelp(about::applicationHelpFile(), about::HELP_QUIT, 0);
    AboutBox = nullptr;
    Form1 = nullptr;
    return code;
}

} // namespace app
