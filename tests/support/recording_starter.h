// A process starter for tests: records every command line and starts nothing.
#pragma once

#include "platform/process.h"

#include <QList>
#include <QStringList>

namespace test {

class RecordingStarter : public platform::ProcessStarter {
public:
    RecordingStarter() { platform::setProcessStarter(this); }
    ~RecordingStarter() override { platform::setProcessStarter(nullptr); }

    // Program first, then its arguments, one list per start.
    QList<QStringList> started;
    // The answer every start gives.
    bool succeed = true;

    bool startDetached(const QString& program, const QStringList& arguments) override {
        started.append(QStringList{program} + arguments);
        return succeed;
    }
};

} // namespace test
