#include "components/sound_font.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace components {

QStringList soundFontCandidates() {
    QStringList candidates;
    // The Debian alternatives link first, so a SoundFont the administrator chose wins.
    const QStringList names = {
        QStringLiteral("sounds/sf2/default-GM.sf2"), QStringLiteral("sounds/sf2/FluidR3_GM.sf2"),
        QStringLiteral("sounds/sf3/default-GM.sf3"), QStringLiteral("sounds/sf3/FluidR3_GM.sf3")};
    QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& fixed : {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")})
        if (!dirs.contains(fixed))
            dirs.append(fixed);
    for (const QString& dir : dirs)
        for (const QString& name : names)
            candidates.append(QDir(dir).filePath(name));
    return candidates;
}

QString soundFontPath() {
    const QString chosen = qEnvironmentVariable("GLIMRA_SOUNDFONT");
    if (!chosen.isEmpty())
        return chosen;
    for (const QString& candidate : soundFontCandidates())
        if (QFileInfo(candidate).isFile())
            return candidate;
    return {};
}

bool isUsableSoundFont(const QString& path) {
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8) == "sfbk";
}

QString soundFontErrorText(const QString& path) {
    if (path.isEmpty())
        return QStringLiteral("MIDI files cannot be played: no General MIDI SoundFont is "
                              "installed (package fluid-soundfont-gm)");
    return QStringLiteral("MIDI files cannot be played: the SoundFont %1 is missing or "
                          "cannot be read")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace components
