#include "decoder_helper/readers.h"

#include <QFont>
#include <QGuiApplication>
#include <cstdlib>

namespace decoder_helper {

void startQtDrawing(int& argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Never destroyed: made after Qt's own globals, a static owner would destroy it after them
    // at exit and crash there. The process ends with it.
    static QGuiApplication* const app = new QGuiApplication(argc, argv);
    (void)app;
    QFont().exactMatch(); // the font database is read now, not inside the sandbox
}

} // namespace decoder_helper
