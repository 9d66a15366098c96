#include "platform/activation.h"

#include <QGuiApplication>

namespace platform {

namespace {
int gOwnDialogs = 0;
} // namespace

ActivationWatch::ActivationWatch(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        if (active_)
            return;
        // While a dialog of ours has the keyboard the program is not left; the clock starts
        // again for the moment after it.
        if (OwnDialogScope::active())
            settle_.start();
        else
            away_ = true;
    });
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &ActivationWatch::applicationStateChanged);
}

void ActivationWatch::applicationStateChanged(Qt::ApplicationState state) {
    active_ = state == Qt::ApplicationActive;
    if (!active_) {
        // Only the first report of a departure starts the clock.
        if (!settle_.isActive() && !away_)
            settle_.start();
        return;
    }
    settle_.stop();
    if (!away_)
        return;
    away_ = false;
    emit returned();
}

OwnDialogScope::OwnDialogScope() {
    ++gOwnDialogs;
}

OwnDialogScope::~OwnDialogScope() {
    --gOwnDialogs;
}

bool OwnDialogScope::active() {
    return gOwnDialogs > 0;
}

} // namespace platform
