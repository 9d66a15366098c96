// For benchmarks that build the real windows: they read and write GLIM.INI, so a private
// configuration folder keeps the user's out of it for as long as this lives; and they draw
// offscreen unless the caller chose a platform. Made before the application object.
#pragma once

#include <QTemporaryDir>
#include <cstdlib>

namespace bench {

class PrivateDesktop {
public:
    PrivateDesktop() {
        ::setenv("XDG_CONFIG_HOME", qPrintable(config_.path()), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }

private:
    QTemporaryDir config_;
};

} // namespace bench
