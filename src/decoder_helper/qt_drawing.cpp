#include "decoder_helper/readers.h"

#include <QFont>
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace decoder_helper {

void startQtDrawing(int& argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static std::unique_ptr<QGuiApplication> app;
    app = std::make_unique<QGuiApplication>(argc, argv);
    QFont().exactMatch(); // the font database is read now, not inside the sandbox
}

} // namespace decoder_helper
