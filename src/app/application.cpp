#include "app/application.h"

#include "app/error_box.h"
#include "browser/browser_window.h"

#include <QApplication>
#include <QStringList>

#include <memory>

TForm1* Form1 = nullptr;

namespace app {

int run(int argc, char** argv) {
    // 1. The application object.
    QApplication application(argc, argv);
    // 2. The application title names the error box; it is not a display name, so the toolkit
    // appends nothing to window captions.
    QApplication::setApplicationName(QStringLiteral("glimra"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));
    // The browser window ends the program, whatever other windows are still shown.
    QApplication::setQuitOnLastWindowClosed(false);

    // 3. The windows, in order. Only the first command-line argument is used.
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    auto form1 = std::make_unique<TForm1>(arguments);
    Form1 = form1.get();
    QObject::connect(Form1, &TForm1::closed, &application, &QApplication::quit);
    Form1->show();

    // 4. The message loop; nothing is written at exit.
    const int code = QApplication::exec();
    Form1 = nullptr;
    return code;
}

} // namespace app
