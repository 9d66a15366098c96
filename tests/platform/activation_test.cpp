// When the program counts as re-entered from another one: only after it has been without the
// focus for longer than a hand-over between its own windows takes, and never because one of its
// own dialogs had the keyboard.
#include "platform/activation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

namespace {

constexpr int kSettleMs = 60;

class Activation : public ::testing::Test {
protected:
    void SetUp() override {
        watch.setSettleTime(kSettleMs);
        QObject::connect(&watch, &platform::ActivationWatch::returned, [this] { ++returns; });
    }
    // Lets the event loop run for this long, so the watch's clock can fire.
    static void wait(int ms) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QThread::msleep(2);
        }
    }
    void leave() { watch.applicationStateChanged(Qt::ApplicationInactive); }
    void enter() { watch.applicationStateChanged(Qt::ApplicationActive); }

    platform::ActivationWatch watch;
    int returns = 0;
};

TEST_F(Activation, FirstActivationAndEveryRealReturnCount) {
    enter();
    EXPECT_EQ(returns, 1) << "the first activation after start-up refreshes";
    enter();
    EXPECT_EQ(returns, 1) << "a repeated report is no new return";

    leave();
    wait(kSettleMs * 4);
    EXPECT_TRUE(watch.away());
    enter();
    EXPECT_EQ(returns, 2);

    // Reports of the inactive state while away do not restart anything.
    leave();
    wait(kSettleMs * 4);
    leave();
    enter();
    EXPECT_EQ(returns, 3);
}

TEST_F(Activation, FocusHandedBetweenOwnWindowsIsNoReturn) {
    enter();
    ASSERT_EQ(returns, 1);
    // The focus leaves one of our windows and reaches the next a moment later, as when the
    // video window appears, the full-size window closes or a message box is dismissed on a
    // busy machine.
    for (int i = 0; i < 5; ++i) {
        leave();
        wait(kSettleMs / 4);
        enter();
    }
    EXPECT_EQ(returns, 1);
    EXPECT_FALSE(watch.away());
    // The clock of an interrupted departure does not fire later.
    wait(kSettleMs * 3);
    enter();
    EXPECT_EQ(returns, 1);
}

TEST_F(Activation, OwnDialogHoldingTheFocusIsNotLeavingTheProgram) {
    enter();
    {
        // A desktop file chooser has the keyboard for longer than the settle time.
        const platform::OwnDialogScope dialog;
        EXPECT_TRUE(platform::OwnDialogScope::active());
        leave();
        wait(kSettleMs * 4);
        EXPECT_FALSE(watch.away());
    }
    EXPECT_FALSE(platform::OwnDialogScope::active());
    enter();
    EXPECT_EQ(returns, 1) << "closing the chooser is no return from another program";

    // After the chooser the program can still be left for real.
    {
        const platform::OwnDialogScope dialog;
        leave();
        wait(kSettleMs * 2);
    }
    wait(kSettleMs * 4);
    EXPECT_TRUE(watch.away()) << "still without the focus once the chooser was gone";
    enter();
    EXPECT_EQ(returns, 2);
}

} // namespace
