// The media player: opening, playing to the end, stopping, failing, and letting go of files.
#include "components/media_player.h"
#include "components/sound_font.h"
#include "media_fixtures.h"
#include "platform/errors.h"
#include "test_env.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Extra time a play may take beyond its media: start-up and a slow sanitized build.
constexpr int kMarginMs = 3000;
constexpr int kFixtureMs = 500;

struct Notification {
    TMPNotifyValues value;
    TMPModes mode; // the mode the handler reads when the notification arrives
    bool operator==(const Notification&) const = default;
};

void PrintTo(const Notification& n, std::ostream* out) {
    *out << "{value " << n.value << ", mode " << n.mode << "}";
}

class MediaPlayer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        QObject::connect(&player, &TMediaPlayer::OnNotify, [this](QObject* sender) {
            EXPECT_EQ(sender, &player);
            notifications.push_back({player.NotifyValue(), player.Mode()});
        });
    }

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = folder.filePath(name);
        test::writeFile(path, bytes);
        return path;
    }
    QString fixture(const QString& kind) {
        if (kind == "wav")
            return write("tone.wav", test::wavBytes(kFixtureMs));
        if (kind == "mid")
            return write("note.mid", test::midiBytes());
        if (kind == "rmi")
            return write("note.rmi", test::rmidBytes(test::midiBytes()));
        const QString path = folder.filePath("clip.avi");
        test::writeAvi(path);
        return path;
    }
    void open(const QString& path) {
        player.FileName = path;
        player.Open();
    }
    bool waitForNotifications(size_t count, int timeoutMs) {
        return test::processEventsUntil([&] { return notifications.size() >= count; }, timeoutMs);
    }
    // Lets queued notifications arrive, to prove that no more come.
    void settle(int ms = 200) {
        test::processEventsUntil([] { return false; }, ms);
    }
    QString openFailure(const QString& path) {
        try {
            open(path);
        } catch (const platform::GlimraError& error) {
            return error.text();
        }
        return QStringLiteral("(opened)");
    }

    // Never the machine's sound card or screen, whatever the test runner passes on.
    test::ScopedEnv audioSink{"GLIMRA_AUDIO_SINK", "fakesink sync=true"};
    test::ScopedEnv videoSink{"GLIMRA_VIDEO_SINK", "fakesink sync=true"};
    QTemporaryDir folder;
    TMediaPlayer player;
    std::vector<Notification> notifications;
};

class MediaPlayerKinds : public MediaPlayer, public ::testing::WithParamInterface<const char*> {};

TEST_P(MediaPlayerKinds, PlaysToTheEndAndNotifiesOnceThenLetsGoOfTheFile) {
    const QString path = fixture(GetParam());
    open(path);
    EXPECT_EQ(player.Mode(), mpStopped);

    QElapsedTimer clock;
    clock.start();
    player.Play();
    // Play returns while the media plays; its end is never reported inside the call.
    EXPECT_EQ(player.Mode(), mpPlaying);
    EXPECT_TRUE(notifications.empty());

    ASSERT_TRUE(waitForNotifications(1, kFixtureMs + kMarginMs));
    EXPECT_GE(clock.elapsed(), kFixtureMs * 8 / 10) << "the end came before the media could play";
    EXPECT_EQ(notifications[0], (Notification{nvSuccessful, mpStopped}));
    settle();
    EXPECT_EQ(notifications.size(), 1u);
    EXPECT_EQ(player.Mode(), mpStopped);

    player.Close();
    EXPECT_EQ(player.Mode(), mpNotReady);
    EXPECT_FALSE(test::isHeldOpen(path));
    EXPECT_TRUE(QFile::rename(path, path + ".moved"));
    EXPECT_TRUE(QFile::remove(path + ".moved"));
    settle(50);
    EXPECT_EQ(notifications.size(), 1u) << "a close without a notify choice posts nothing";
}

INSTANTIATE_TEST_SUITE_P(Files, MediaPlayerKinds, ::testing::Values("wav", "mid", "rmi", "avi"));

TEST_F(MediaPlayer, NothingOpen) {
    EXPECT_EQ(player.Mode(), mpNotReady);
    player.Notify = true;
    player.Close(); // nothing to close: no command, no notification
    EXPECT_THROW(player.Play(), platform::GlimraError);
    settle(50);
    EXPECT_TRUE(notifications.empty());
}

TEST_F(MediaPlayer, PlayAtTheEndRewindsWhenAutoRewindIsOn) {
    open(fixture("wav"));
    player.Play();
    ASSERT_TRUE(waitForNotifications(1, kFixtureMs + kMarginMs));

    player.Play();
    EXPECT_EQ(player.Mode(), mpPlaying);
    ASSERT_TRUE(waitForNotifications(2, kFixtureMs + kMarginMs));
    EXPECT_EQ(notifications[1], (Notification{nvSuccessful, mpStopped}));
}

TEST_F(MediaPlayer, PlayAtTheEndWithoutAutoRewindEndsAtOnce) {
    player.AutoRewind = false;
    open(fixture("wav"));
    player.Play();
    ASSERT_TRUE(waitForNotifications(1, kFixtureMs + kMarginMs));

    player.Play();
    EXPECT_EQ(player.Mode(), mpStopped);
    EXPECT_EQ(notifications.size(), 1u);
    ASSERT_TRUE(waitForNotifications(2, 500));
    EXPECT_EQ(notifications[1], (Notification{nvSuccessful, mpStopped}));
}

TEST_F(MediaPlayer, SecondOpenWhilePlayingStopsTheFirst) {
    const QString first = write("long.wav", test::wavBytes(5000));
    const QString second = fixture("wav");
    open(first);
    player.Play();

    open(second);
    EXPECT_EQ(player.Mode(), mpStopped);
    EXPECT_FALSE(test::isHeldOpen(first));
    EXPECT_TRUE(test::isHeldOpen(second));
    player.Play();
    EXPECT_EQ(player.Mode(), mpPlaying);

    // The first play is reported cut short, then the second ends normally.
    ASSERT_TRUE(waitForNotifications(2, kFixtureMs + kMarginMs));
    EXPECT_EQ(notifications[0].value, nvAborted);
    EXPECT_EQ(notifications[1], (Notification{nvSuccessful, mpStopped}));
}

TEST_F(MediaPlayer, CloseWhilePlayingStopsAtOnceAndReleasesTheFile) {
    const QString path = write("long.wav", test::wavBytes(5000));
    open(path);
    player.Play();
    settle(100);

    QElapsedTimer clock;
    clock.start();
    player.Close();
    EXPECT_LT(clock.elapsed(), 2000) << "close waited for the media to end";
    EXPECT_EQ(player.Mode(), mpNotReady);
    EXPECT_FALSE(test::isHeldOpen(path));
    EXPECT_TRUE(QFile::remove(path));

    settle();
    ASSERT_EQ(notifications.size(), 1u);
    EXPECT_EQ(notifications[0], (Notification{nvAborted, mpNotReady}));
}

TEST_F(MediaPlayer, NotifyChoiceAppliesToTheNextCommandOnly) {
    const QString path = write("long.wav", test::wavBytes(5000));
    const QString next = fixture("wav");
    open(path);
    player.Play();

    // The browser's sequence for a new sound while one plays: notify, close, open, play.
    player.Notify = true;
    player.Close();
    EXPECT_TRUE(notifications.empty());
    open(next);
    player.Play();
    EXPECT_EQ(player.Mode(), mpPlaying);
    // The cut-short play and the close both report while the new sound plays; then its end.
    ASSERT_TRUE(waitForNotifications(3, kFixtureMs + kMarginMs));
    EXPECT_EQ(notifications[0], (Notification{nvAborted, mpPlaying}));
    EXPECT_EQ(notifications[1], (Notification{nvSuccessful, mpPlaying}));
    EXPECT_EQ(notifications[2], (Notification{nvSuccessful, mpStopped}));

    player.Close(); // the choice was spent
    settle(50);
    EXPECT_EQ(notifications.size(), 3u);
}

TEST_F(MediaPlayer, UnplayableFilesFailWithTheMediaSystemsText) {
    QByteArray truncatedAvi;
    {
        const QString avi = fixture("avi");
        truncatedAvi = test::readFile(avi).left(40);
        QFile::remove(avi);
    }
    // A format chunk of no rate, no sample size and no block size.
    QByteArray badFormat = test::wavBytes(100);
    badFormat.replace(24, 12, QByteArray(12, '\0'));
    const struct {
        const char* name;
        QByteArray bytes;
        const char* text;
    } cases[] = {
        {"notes.wav", "These are notes, not sound.\n", "Could not determine type of stream."},
        {"badformat.wav", badFormat, "GStreamer encountered a general stream error."},
        {"cut.avi", truncatedAvi, "Could not demultiplex stream."},
    };
    const QString good = fixture("wav");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = write(c.name, c.bytes);
        open(good);
        EXPECT_EQ(openFailure(path).toStdString(), c.text);
        // The failed open closed the previous file and holds nothing.
        EXPECT_EQ(player.Mode(), mpNotReady);
        EXPECT_FALSE(test::isHeldOpen(path));
        EXPECT_FALSE(test::isHeldOpen(good));
    }
    EXPECT_EQ(openFailure(folder.filePath("missing.wav")).toStdString(), "Resource not found.");
    open(good);
    EXPECT_EQ(player.Mode(), mpStopped);
}

TEST_F(MediaPlayer, MidiFailsCleanlyWhenTheSoundFontIsGone) {
    const QString installed = components::soundFontPath();
    if (!components::isUsableSoundFont(installed))
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    const QString link = folder.filePath("gm.sf2");
    ASSERT_TRUE(QFile::link(installed, link));
    test::ScopedEnv soundFont("GLIMRA_SOUNDFONT", QFile::encodeName(link));
    const QString midi = fixture("mid");
    const QString rmid = fixture("rmi");
    open(midi);
    player.Close();

    ASSERT_TRUE(QFile::remove(link));
    for (const QString& path : {midi, rmid}) {
        EXPECT_EQ(openFailure(path).toStdString(),
                  components::soundFontErrorText(link).toStdString());
        EXPECT_EQ(player.Mode(), mpNotReady);
        EXPECT_FALSE(test::isHeldOpen(path));
    }
    // A file that is no SoundFont is refused the same way.
    test::writeFile(link, test::wavBytes(10));
    EXPECT_EQ(openFailure(midi).toStdString(), components::soundFontErrorText(link).toStdString());
    // Sound that needs no SoundFont still plays.
    open(fixture("wav"));
    EXPECT_EQ(player.Mode(), mpStopped);
}

TEST_F(MediaPlayer, SinksComeFromTheEnvironment) {
    const QString path = fixture("wav");
    {
        test::ScopedEnv sink("GLIMRA_AUDIO_SINK", "nosuchsink");
        EXPECT_EQ(openFailure(path).toStdString(), "no element \"nosuchsink\"");
    }
    // A sink that breaks after a few buffers: the failure arrives as a notification.
    const QString second = write("second.wav", test::wavBytes(1000));
    test::ScopedEnv sink("GLIMRA_AUDIO_SINK", "identity error-after=2 ! fakesink sync=true");
    open(second);
    player.Play();
    ASSERT_TRUE(waitForNotifications(1, 1000 + kMarginMs));
    EXPECT_EQ(notifications[0], (Notification{nvFailure, mpStopped}));
    EXPECT_EQ(player.Error().toStdString(), "Failed after iterations as requested.");
    EXPECT_FALSE(test::isHeldOpen(second)) << "a failed play holds the file";
    player.Close();
    EXPECT_EQ(player.Mode(), mpNotReady);
}

TEST(SoundFont, OnlyARiffSoundFontBankIsUsable) {
    QTemporaryDir folder;
    const struct {
        const char* name;
        QByteArray bytes;
        bool usable;
    } cases[] = {
        {"bank.sf2", QByteArray("RIFF\x10\0\0\0sfbkLIST", 16), true},
        {"sound.sf2", test::wavBytes(10), false},
        {"empty.sf2", QByteArray(), false},
        {"short.sf2", "RIFF", false},
    };
    for (const auto& c : cases) {
        const QString path = folder.filePath(c.name);
        test::writeFile(path, c.bytes);
        EXPECT_EQ(components::isUsableSoundFont(path), c.usable) << c.name;
    }
    EXPECT_FALSE(components::isUsableSoundFont(folder.filePath("missing.sf2")));
    EXPECT_FALSE(components::isUsableSoundFont(QString()));
}

TEST(SoundFont, TheEnvironmentNamesItEvenWhenMissing) {
    test::ScopedEnv chosen("GLIMRA_SOUNDFONT", "/nowhere/gm.sf2");
    EXPECT_EQ(components::soundFontPath(), "/nowhere/gm.sf2");
}

} // namespace
