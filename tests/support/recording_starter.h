// A process starter for tests: records every command line and starts nothing.
#pragma once

#include "platform/process.h"

#include <QFile>
#include <QList>
#include <QStringList>

namespace test {

class RecordingStarter : public platform::ProcessStarter {
public:
    RecordingStarter() { platform::setProcessStarter(this); }
    ~RecordingStarter() override { platform::setProcessStarter(nullptr); }

    // Program first, then its arguments, one list per start: as text, and as the bytes passed.
    QList<QStringList> started;
    QList<QList<QByteArray>> startedBytes;
    // The answer every start gives.
    bool succeed = true;

    bool startDetached(const QByteArray& program, const QList<QByteArray>& arguments) override {
        QList<QByteArray> bytes{program};
        bytes += arguments;
        QStringList text;
        for (const QByteArray& word : bytes)
            text << QFile::decodeName(word);
        started.append(text);
        startedBytes.append(bytes);
        return succeed;
    }
};

} // namespace test
