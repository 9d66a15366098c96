// A fixture that starts the whole window set on a temporary folder, with recorded dialogs,
// a private GLIM.INI and a 1024 x 768 screen.
#pragma once

#include "app/application.h"
#include "fake_dialogs.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace test {

class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the windows with the folder as the first argument (after the files are made).
    void start(const QByteArray& ini = {});
    // The same with another folder, given as its bytes, as the first argument.
    void startIn(const QByteArray& nativeFolder, const QByteArray& ini = {});

    // A picture file of this size and bits per pixel (1, 4, 8, 24 or 32), as BMP or PNG by
    // the name's extension; returns its path.
    QString picture(const QString& name, int width, int height, int bitsPerPixel = 24);
    // A sound of the given length; returns its path.
    QString sound(const QString& name, int milliseconds = 400);
    QString file(const QString& name, const QByteArray& bytes);
    QString path(const QString& name) const { return folder.filePath(name); }

    // Selects a row the way a user does, which runs the preview.
    void select(int row);
    // Runs the event loop until done holds or timeoutMs passes.
    bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);

    QTemporaryDir folder;
    FakeDialogs dialogs;
    std::unique_ptr<app::WindowSet> windows;
    QString launchDir;
};

} // namespace test
