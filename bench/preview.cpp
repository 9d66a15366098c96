// The browser's preview update stepping through a folder of 200 mixed pictures: 24-megapixel
// JPEG photos (6000 x 4000), smaller JPEGs, PNG, BMP and GIF files. Each step selects the next
// row and runs FileListBox1Change, then paints the preview box, which is what a user waits for
// on every press of the Down key. Prints the median and the worst update, overall and by kind.
#include "app/application.h"
#include "browser/browser_window.h"
#include "components/image_box.h"
#include "filelists/file_list_box.h"
#include "support/photo_like.h"
#include "support/private_desktop.h"
#include "support/summary.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

namespace {

QTemporaryDir* workDir = nullptr;
QString pictureDir;

using bench::photoLike;

// Writes `count` files named prefix000.ext ...: the first `distinct` are encoded anew, the rest
// are copies of them, so that making the folder stays quick.
void makeSet(const QString& prefix, const QString& ext, int count, int distinct,
             const std::function<void(int, const QString&)>& write) {
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/%2%3.%4")
                                 .arg(pictureDir, prefix)
                                 .arg(i, 3, 10, QChar(u'0'))
                                 .arg(ext);
        if (i < distinct)
            write(i, path);
        else
            QFile::copy(QStringLiteral("%1/%2%3.%4")
                            .arg(pictureDir, prefix)
                            .arg(i % distinct, 3, 10, QChar(u'0'))
                            .arg(ext),
                        path);
    }
}

void makeFiles() {
    workDir = new QTemporaryDir();
    pictureDir = workDir->filePath(QStringLiteral("pictures"));
    QDir().mkpath(pictureDir);
    // The names interleave the kinds, so stepping down the list mixes them.
    makeSet("a_photo", "jpg", 20, 3, [](int i, const QString& path) {
        photoLike(6000, 4000, 7u + std::uint32_t(i)).save(path, "JPEG", 90);
    });
    makeSet("b_small", "jpg", 30, 3, [](int i, const QString& path) {
        photoLike(1600, 1200, 11u + std::uint32_t(i)).save(path, "JPEG", 85);
    });
    makeSet("c_scan", "png", 50, 3, [](int i, const QString& path) {
        photoLike(1024, 768, 13u + std::uint32_t(i)).save(path, "PNG");
    });
    makeSet("d_paint", "bmp", 50, 3, [](int i, const QString& path) {
        photoLike(800, 600, 17u + std::uint32_t(i))
            .convertToFormat(QImage::Format_RGB888)
            .save(path, "BMP");
    });
    makeSet("e_icon", "gif", 50, 1, [](int, const QString& path) {
        const QString source = workDir->filePath(QStringLiteral("icon.png"));
        photoLike(320, 240, 19u).save(source, "PNG");
        QProcess::execute(QStringLiteral("gm"), {QStringLiteral("convert"), source, path});
    });
}

struct Timing {
    QString name;
    double ms;
};
std::vector<Timing> timings;

void BM_StepThroughFolder(benchmark::State& state) {
    for (auto _ : state) {
        timings.clear();
        app::WindowSet windows({QFile::encodeName(pictureDir)});
        Form1->show();
        TRzFileListBox* list = Form1->FileListBox1;
        QApplication::processEvents();
        if (list->Count() != 200) {
            state.SkipWithError("the folder does not list 200 pictures");
            return;
        }
        for (int row = 0; row < list->Count(); ++row) {
            QElapsedTimer timer;
            timer.start();
            list->setItemIndex(row);
            Form1->FileListBox1Change(list);
            // The pixels are decoded in the background: the step ends when they are painted.
            Form1->Gvbox1->waitForPixels();
            Form1->Gvbox1->repaint();
            timings.push_back({list->Item(row), double(timer.nsecsElapsed()) / 1e6});
            if (Form1->Gvbox1->bmpw() == 0)
                std::fprintf(stderr, "no picture for %s\n", qPrintable(list->Item(row)));
        }
    }
}
BENCHMARK(BM_StepThroughFolder)->Iterations(1)->Unit(benchmark::kMillisecond);

using bench::summarise;
using bench::Summary;

void printSummary() {
    std::map<QString, std::vector<double>> byKind;
    std::vector<double> all;
    for (const Timing& t : timings) {
        all.push_back(t.ms);
        byKind[t.name.section(QChar(u'0'), 0, 0)].push_back(t.ms);
    }
    const auto line = [](const char* label, const Summary& s) {
        std::printf("%-22s %6zu %12.1f %12.1f\n", label, s.count, s.median, s.worst);
    };
    std::printf("\n%-22s %6s %12s %12s\n", "preview update", "files", "median ms", "worst ms");
    const std::map<QString, const char*> labels = {{QStringLiteral("a_photo"), "JPEG 6000 x 4000"},
                                                   {QStringLiteral("b_small"), "JPEG 1600 x 1200"},
                                                   {QStringLiteral("c_scan"), "PNG 1024 x 768"},
                                                   {QStringLiteral("d_paint"), "BMP 800 x 600"},
                                                   {QStringLiteral("e_icon"), "GIF 320 x 240"}};
    for (const auto& [kind, ms] : byKind) {
        const auto label = labels.find(kind);
        line(label == labels.end() ? "other" : label->second, summarise(ms));
    }
    line("all", summarise(all));
}

} // namespace

int main(int argc, char** argv) {
    const bench::PrivateDesktop desktop;
    QApplication app(argc, argv);
    makeFiles();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    printSummary();
    delete workDir;
    benchmark::Shutdown();
    return 0;
}
