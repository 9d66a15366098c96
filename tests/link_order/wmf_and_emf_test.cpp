// libwmflite (under GraphicsMagick) and libuemf (under libemf2svg) both export wmf_free: a
// process that loads both calls the wrong one for whichever comes second, and crashes. This
// program is linked with both libraries, in the order its build gives (twice, both orders):
// WMF and EMF still decode, in either sequence, because each is read in a helper process that
// holds only its own library.
#include "components/decoders/decode.h"
#include "components/decoders/helper_client.h"
#include "fixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray mapsOf(pid_t pid) {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
    return maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
}

TEST(LinkOrder, WmfAndEmfDecodeInOneProgramInEitherSequence) {
    // The program itself holds both libraries, in this build's link order.
    const QByteArray own = mapsOf(::getpid());
    ASSERT_TRUE(own.contains("libwmflite")) << "this test program should link GraphicsMagick";
    ASSERT_TRUE(own.contains("libuemf")) << "this test program should link libemf2svg";

    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return QFile::encodeName(file.fileName());
    };
    const QByteArray wmf = write("a.wmf", fixtures::buildWmf());
    const QByteArray emf = write("a.emf", fixtures::buildEmf(60, 40));
    for (const auto& order : {QList<QByteArray>{wmf, emf, wmf}, QList<QByteArray>{emf, wmf, emf}})
        for (const QByteArray& path : order) {
            const decoders::Picture p = decoders::decodeFile(path);
            EXPECT_TRUE(p.ok()) << path.toStdString() << ": " << p.error.toStdString();
        }
    // Each helper holds one of the two libraries only.
    const QByteArray general = mapsOf(decoders::helperPid(decoders::HelperKind::General));
    const QByteArray metafiles = mapsOf(decoders::helperPid(decoders::HelperKind::Emf));
    EXPECT_TRUE(general.contains("libwmflite"));
    EXPECT_FALSE(general.contains("libuemf"));
    EXPECT_TRUE(metafiles.contains("libuemf"));
    EXPECT_FALSE(metafiles.contains("libwmflite"));
}

} // namespace
