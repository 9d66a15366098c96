// A video plays in a window of Glimra's own ("Glimra Video") that never takes the keyboard and
// is gone when the play ends, when the file is closed or another opened, and when the user
// closes it. The sink here asks for a window as the desktop's sinks do.
#include "components/media_player.h"
#include "components/video_window.h"
#include "media_fixtures.h"
#include "overlay_sink.h"
#include "test_env.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr int kWaitMs = 5000;

class VideoWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        test::registerOverlaySink();
        test::resetOverlaySinkLog();
        avi = folder.filePath("clip.avi");
        test::writeAvi(avi); // 64 x 48 pictures, half a second
        test::writeFile(folder.filePath("tone.wav"), test::wavBytes(300));
        QObject::connect(&player, &TMediaPlayer::OnNotify, [this] { ++notifications; });
    }
    void play(const QString& path) {
        player.FileName = path;
        player.Open();
        player.Play();
    }
    bool shown() const { return player.videoWindow() && player.videoWindow()->isVisible(); }

    test::ScopedEnv audioSink{"GLIMRA_AUDIO_SINK", "fakesink sync=true"};
    test::ScopedEnv videoSink{"GLIMRA_VIDEO_SINK", "glimraoverlaysink sync=true"};
    QTemporaryDir folder;
    QString avi;
    TMediaPlayer player;
    int notifications = 0;
};

TEST_F(VideoWindow, ShowsTheVideoWithoutTakingTheKeyboardAndGoesAtTheEnd) {
    play(avi);
    components::VideoWindow* window = player.videoWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->title(), QStringLiteral("Glimra Video"));
    EXPECT_TRUE(window->flags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(window->property("_q_showWithoutActivating").toBool());
    EXPECT_EQ(window->size(), QSize(64, 48));

    const test::OverlaySinkLog log = test::overlaySinkLog();
    EXPECT_EQ(log.windowRequests, 1);
    EXPECT_EQ(log.window, std::uintptr_t(window->winId())) << "the sink draws into our window";
    EXPECT_FALSE(log.handlesEvents) << "the sink must not listen to the window's keys";
    EXPECT_TRUE(
        test::processEventsUntil([] { return test::overlaySinkLog().exposes > 0; }, kWaitMs))
        << "an uncovered window is drawn again";

    ASSERT_TRUE(test::processEventsUntil([this] { return notifications == 1; }, kWaitMs));
    EXPECT_EQ(player.Mode(), mpStopped);
    EXPECT_FALSE(window->isVisible()) << "the window stays after the video ended";

    // Playing the ended file again shows it again; closing the file removes the window.
    player.Play();
    EXPECT_TRUE(shown());
    player.Close();
    EXPECT_FALSE(shown());
    EXPECT_EQ(player.videoWindow()->handle(), nullptr) << "no native window is left behind";
}

TEST_F(VideoWindow, GoesWhenAnotherFileIsOpenedAndSoundsShowNone) {
    play(avi);
    ASSERT_TRUE(shown());
    play(folder.filePath("tone.wav"));
    EXPECT_EQ(player.Mode(), mpPlaying);
    EXPECT_FALSE(shown()) << "a sound shows no video window";

    play(avi);
    ASSERT_TRUE(shown());
    test::ScopedEnv plain{"GLIMRA_VIDEO_SINK", "fakesink sync=true"};
    play(avi);
    EXPECT_FALSE(shown()) << "a sink that draws nowhere gets no window";
}

TEST_F(VideoWindow, ClosingTheWindowStopsTheVideo) {
    play(avi);
    ASSERT_TRUE(shown());
    player.videoWindow()->close();
    EXPECT_FALSE(shown());
    EXPECT_EQ(player.Mode(), mpStopped) << "the file stays open, stopped";
    ASSERT_TRUE(test::processEventsUntil([this] { return notifications == 1; }, kWaitMs));
    EXPECT_EQ(player.NotifyValue(), nvAborted);
    test::processEventsUntil([] { return false; }, 800);
    EXPECT_EQ(notifications, 1) << "the stopped video does not end later";
    EXPECT_FALSE(shown());
}

} // namespace
