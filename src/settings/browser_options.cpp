#include "settings/browser_options.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace settings {

QString defaultExecDir() {
    // A program anywhere in its build folder (the program, its test programs) uses the
    // source tree's data.
    const QString appDir = QDir(QCoreApplication::applicationDirPath()).canonicalPath();
    const QString buildDir = QDir(QStringLiteral(GLIMRA_BUILD_DIR)).canonicalPath();
    if (!buildDir.isEmpty() && (appDir == buildDir || appDir.startsWith(buildDir + u'/')))
        return QStringLiteral(GLIMRA_BUILD_DATA_DIR);
    // An installed program finds its data relative to itself, wherever the prefix is.
    const QString relative = QDir(appDir).absoluteFilePath(QStringLiteral("../share/glimra"));
    if (QFileInfo(relative).isDir())
        return QDir::cleanPath(relative);
    return QStringLiteral(GLIMRA_INSTALLED_DATA_DIR);
}

void readBrowserOptions(const Settings& ini, BrowserOptions& options) {
    for (const BrowserOption& o : kBrowserOptions) {
        const SettingKey& k = o.key;
        if (auto flag = std::get_if<bool BrowserOptions::*>(&o.member))
            options.*(*flag) = ini.readFlag(k);
        else if (auto number = std::get_if<int BrowserOptions::*>(&o.member))
            options.*(*number) = ini.readInteger(k);
        else if (o.defaultText)
            options.*std::get<QString BrowserOptions::*>(o.member) = ini.readText(
                QString::fromLatin1(k.section), QString::fromLatin1(k.key), o.defaultText());
        else
            options.*std::get<QString BrowserOptions::*>(o.member) = ini.readText(k);
    }
}

void writeBrowserOptions(const Settings& ini, const BrowserOptions& options) {
    for (const BrowserOption& o : kBrowserOptions) {
        if (!o.savedByDialog)
            continue;
        if (auto flag = std::get_if<bool BrowserOptions::*>(&o.member)) {
            ini.writeFlag(o.key, options.*(*flag));
        } else if (auto number = std::get_if<int BrowserOptions::*>(&o.member)) {
            if (options.*(*number) >= 0)
                ini.writeText(o.key, QString::number(options.*(*number)));
        } else {
            ini.writeText(o.key, options.*std::get<QString BrowserOptions::*>(o.member));
        }
    }
}

QString readExecDir(const Settings& ini) {
    return ini.readText(QString::fromLatin1(keys::ExecDir.section),
                        QString::fromLatin1(keys::ExecDir.key), defaultExecDir());
}

QString helpFileIn(const QString& execDir) {
    return execDir + QStringLiteral("/Glim.hlp");
}

} // namespace settings
