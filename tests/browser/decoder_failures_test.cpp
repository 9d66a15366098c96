// The browser with decoders that fail badly: a decoder crash and a decode past its time budget
// each leave the browser running, the preview empty, and the next picture shown normally.
#include "app/application.h"
#include "browser/browser_window.h"
#include "components/image_box.h"
#include "filelists/file_list_box.h"
#include "window_fixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <cstdlib>

namespace {

class DecoderFailures : public test::WindowFixture {};

TEST_F(DecoderFailures, ACrashOrAHangLeavesTheBoxEmptyAndTheNextPictureShows) {
    ::setenv("GLIMRA_DECODE_SECONDS", "1", 1);
    // The helper's test-only triggers (a TGA is decoded in the helper).
    file("a_crash.tga", "GLIMRA-TEST-CRASH");
    file("b_hang.tga", "GLIMRA-TEST-HANG");
    const QString good = picture("c_good.png", 30, 20);
    start();
    ASSERT_EQ(Form1->FileListBox1->Count(), 3);
    for (int row : {0, 1}) {
        QElapsedTimer timer;
        timer.start();
        select(row);
        EXPECT_LT(timer.elapsed(), 5000) << "row " << row << " was not abandoned in time";
        EXPECT_TRUE(Form1->Gvbox1->shownImage().isNull()) << row;
        EXPECT_EQ(Form1->Gvbox1->bmpw(), 0) << row;
        EXPECT_TRUE(Form1->Panel1->text().contains(" - Image Size: 0 x 0 Pixels")) << row;
        select(2);
        EXPECT_EQ(Form1->Gvbox1->bmpw(), 30) << "after row " << row;
        EXPECT_EQ(Form1->Panel1->text(), good + " - Image Size: 30 x 20 Pixels x 16.8M colors");
        Form1->Gvbox1->waitForPixels();
        EXPECT_FALSE(Form1->Gvbox1->shownImage().isNull());
    }
    EXPECT_TRUE(dialogs.messages.isEmpty());
    ::unsetenv("GLIMRA_DECODE_SECONDS");
}

} // namespace
