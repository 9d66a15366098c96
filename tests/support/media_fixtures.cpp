#include "media_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <cmath>
#include <gst/gst.h>
#include <stdexcept>

namespace test {

namespace {

void appendLe32(QByteArray& bytes, quint32 value) {
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}
void appendLe16(QByteArray& bytes, quint16 value) {
    char raw[2];
    qToLittleEndian(value, raw);
    bytes.append(raw, 2);
}
void appendBe32(QByteArray& bytes, quint32 value) {
    char raw[4];
    qToBigEndian(value, raw);
    bytes.append(raw, 4);
}

void runFfmpeg(const QStringList& args) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), args);
    ffmpeg.waitForFinished(30000);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QByteArray wavBytes(int milliseconds) {
    constexpr int rate = 8000;
    const int samples = rate * milliseconds / 1000;
    QByteArray wav("RIFF");
    appendLe32(wav, 36 + samples * 2);
    wav.append("WAVEfmt ");
    appendLe32(wav, 16);
    appendLe16(wav, 1); // PCM
    appendLe16(wav, 1); // mono
    appendLe32(wav, rate);
    appendLe32(wav, rate * 2);
    appendLe16(wav, 2);
    appendLe16(wav, 16);
    wav.append("data");
    appendLe32(wav, samples * 2);
    for (int i = 0; i < samples; ++i)
        appendLe16(wav, quint16(qint16(8000 * std::sin(2 * M_PI * 440 * i / rate))));
    return wav;
}

QByteArray midiBytes() {
    // 480 ticks a quarter note; the default tempo makes a quarter note half a second.
    const QByteArray events = QByteArray::fromHex("00c000"     // program change: piano
                                                  "00903c64"   // note on, middle C
                                                  "8360803c00" // 480 ticks later: note off
                                                  "00ff2f00"); // end of track
    QByteArray smf("MThd");
    appendBe32(smf, 6);
    smf.append(QByteArray::fromHex("0000000101e0")); // format 0, one track, 480 ticks
    smf.append("MTrk");
    appendBe32(smf, events.size());
    smf.append(events);
    return smf;
}

QByteArray rmidBytes(const QByteArray& standardMidiFile) {
    QByteArray data("RMIDdata");
    appendLe32(data, standardMidiFile.size());
    data.append(standardMidiFile);
    if (standardMidiFile.size() % 2)
        data.append('\0');
    QByteArray riff("RIFF");
    appendLe32(riff, data.size());
    return riff + data;
}

void writeAvi(const QString& path) {
    if (!gst_init_check(nullptr, nullptr, nullptr))
        throw std::runtime_error("GStreamer does not start");
    const QString description =
        QStringLiteral("videotestsrc num-buffers=10 pattern=ball ! "
                       "video/x-raw,width=64,height=48,framerate=20/1 ! jpegenc ! "
                       "avimux name=mux ! filesink location=\"%1\" "
                       "audiotestsrc num-buffers=5 samplesperbuffer=800 ! "
                       "audio/x-raw,rate=8000,channels=1,format=S16LE ! mux.")
            .arg(path);
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
    if (!pipeline || error)
        throw std::runtime_error("cannot build the AVI pipeline");
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, 10 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ended = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    if (!ended)
        throw std::runtime_error("the AVI pipeline did not finish");
}

QByteArray makeSound(const QString& extension, const QByteArray& cover) {
    QStringList args{"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=0.5"};
    const QString ext = extension.toLower();
    QTemporaryDir dir;
    if (!cover.isEmpty()) {
        const QString coverPath = dir.filePath("cover.png");
        QFile file(coverPath);
        file.open(QIODevice::WriteOnly);
        file.write(cover);
        file.close();
        if (ext == "opus" || ext == "ogg" || ext == "oga") {
            // Ogg files carry their picture as a FLAC picture block in a comment.
            const QImage image = QImage::fromData(cover);
            QByteArray block;
            for (const quint32 v : {3u, 9u})
                appendBe32(block, v);
            block.append("image/png");
            for (const quint32 v : {0u, quint32(image.width()), quint32(image.height()), 24u, 0u,
                                    quint32(cover.size())})
                appendBe32(block, v);
            block.append(cover);
            args += {"-metadata:s:a:0", "METADATA_BLOCK_PICTURE=" + block.toBase64()};
        } else {
            args += {"-i",   coverPath,          "-map",        "0", "-map", "1", "-c:v",
                     "copy", "-disposition:v:0", "attached_pic"};
        }
    }
    static const QMap<QString, QStringList> codecs = {
        {"mp3", {"-c:a", "libmp3lame"}},
        {"ogg", {"-c:a", "libvorbis"}},
        {"oga", {"-c:a", "libvorbis", "-f", "ogg"}},
        {"opus", {"-c:a", "libopus"}},
        {"flac", {"-c:a", "flac"}},
        {"m4a", {"-c:a", "aac"}},
        {"aac", {"-c:a", "aac", "-f", "adts"}},
        {"wma", {"-c:a", "wmav2"}},
        {"aif", {"-c:a", "pcm_s16be", "-f", "aiff"}},
        {"aiff", {"-c:a", "pcm_s16be"}},
    };
    const QString out = dir.filePath("out." + ext);
    runFfmpeg(args + codecs.value(ext) + QStringList{"-y", out});
    return readAll(out);
}

QByteArray makeVideo(const QString& extension) {
    const QString ext = extension.toLower();
    static const QMap<QString, QStringList> codecs = {
        {"mp4", {"-c:v", "mpeg4"}},
        {"m4v", {"-c:v", "mpeg4", "-f", "mp4"}},
        {"mkv", {"-c:v", "mpeg4"}},
        {"webm", {"-c:v", "libvpx"}},
        {"mov", {"-c:v", "mpeg4"}},
        {"mpg", {"-c:v", "mpeg1video", "-f", "mpeg"}},
        {"mpeg", {"-c:v", "mpeg1video", "-f", "mpeg"}},
        {"ogv", {"-c:v", "libtheora"}},
        {"wmv", {"-c:v", "wmv2", "-f", "asf"}},
        {"avi", {"-c:v", "mpeg4"}},
    };
    QTemporaryDir dir;
    const QString out = dir.filePath("out." + ext);
    runFfmpeg(QStringList{"-v", "error", "-f", "lavfi", "-i",
                          "color=c=red:s=64x48:r=25:d=0.1,format=yuv420p[a];"
                          "color=c=blue:s=64x48:r=25:d=1.9,format=yuv420p[b];[a][b]concat=n=2:v=1",
                          "-g", "1", "-b:v", "500k"} +
              codecs.value(ext) + QStringList{"-y", out});
    return readAll(out);
}

bool isHeldOpen(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == target)
            return true;
    return false;
}

bool processEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value)
    : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    if (value.isEmpty())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnv::~ScopedEnv() {
    if (had_)
        qputenv(name_, old_);
    else
        qunsetenv(name_);
}

} // namespace test
