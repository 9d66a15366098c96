// A help service for tests: records every WinHelp request and opens no window.
#pragma once

#include "about/help_viewer.h"

#include <QList>
#include <QString>

namespace test {

struct HelpRequest {
    QString helpFile;
    int command = 0;
    int data = 0;
    bool operator==(const HelpRequest&) const = default;
};

class RecordingHelp : public about::HelpService {
public:
    RecordingHelp() { about::setHelpService(this); }
    ~RecordingHelp() override { about::setHelpService(nullptr); }

    QList<HelpRequest> requests;

    bool winHelp(const QString& helpFile, int command, int data) override {
        requests.append({helpFile, command, data});
        return true;
    }
};

} // namespace test
