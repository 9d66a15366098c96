// Media files the player tests build at run time, and helpers to watch the player.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace test {

// A mono 16-bit WAV file of a 440 Hz tone lasting milliseconds.
QByteArray wavBytes(int milliseconds);
// A Standard MIDI File, format 0: one note of half a second at 120 beats a minute.
QByteArray midiBytes();
// The same music in its RIFF "RMID" wrapping.
QByteArray rmidBytes(const QByteArray& standardMidiFile);
// Writes an AVI of half a second with a moving test picture and a tone, made by a media
// pipeline in this process.
void writeAvi(const QString& path);

// Sound of the extension's type, half a second of a tone, made by ffmpeg; with cover art when
// cover (PNG bytes) is given. Empty when ffmpeg cannot make it.
QByteArray makeSound(const QString& extension, const QByteArray& cover = {});

// Two seconds of 64 x 48 video of the extension's type, made by ffmpeg, every frame a key
// frame: red for its first tenth of a second, blue after.
QByteArray makeVideo(const QString& extension);

// Whether this process holds path open (any descriptor in /proc/self/fd points at it).
bool isHeldOpen(const QString& path);

// Runs the event loop until done() holds or timeoutMs passes; returns done().
bool processEventsUntil(const std::function<bool()>& done, int timeoutMs);

// Sets an environment variable for one scope (an empty value removes it).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

} // namespace test
