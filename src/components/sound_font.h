// Where MIDI playback finds its General MIDI SoundFont, and whether that file can be used.
#pragma once

#include <QString>
#include <QStringList>

namespace components {

// The SoundFont the FluidSynth decoder is given: the file GLIMRA_SOUNDFONT names when it is set
// (even when that file is missing, so the user learns why MIDI fails), else the first existing
// file of soundFontCandidates(). Empty when none is installed.
QString soundFontPath();

// Where the fluid-soundfont-gm package and its alternatives put a General MIDI SoundFont.
QStringList soundFontCandidates();

// A readable RIFF file of form "sfbk" (SoundFont 2, or its compressed form 3).
bool isUsableSoundFont(const QString& path);

// The error text for a MIDI file that cannot be played for want of a usable SoundFont at path
// (empty path: none installed).
QString soundFontErrorText(const QString& path);

} // namespace components
