// ActivationWatch: tells when the user comes back to the program from another one. The toolkit
// reports the application inactive whenever, for a moment, none of its windows holds the focus;
// focus moving between the program's own windows must not count as leaving it.
#pragma once

#include <QObject>
#include <QTimer>

namespace platform {

class ActivationWatch : public QObject {
    Q_OBJECT
public:
    explicit ActivationWatch(QObject* parent = nullptr);

    // How long the program must be without the focus before it counts as left: a window
    // manager hands the focus from one of our windows to the next within this time, however
    // busy the machine. A return sooner than this was never a visit to another program.
    void setSettleTime(int milliseconds) { settle_.setInterval(milliseconds); }
    static constexpr int kSettleMs = 400;

    // Whether the program counts as left now (true before the first activation).
    bool away() const { return away_; }

    // The toolkit's report of the application's state; connected at construction.
    void applicationStateChanged(Qt::ApplicationState state);

signals:
    // The user came back from another program (also the first activation after start-up).
    void returned();

private:
    QTimer settle_;
    bool away_ = true;
    bool active_ = false;
};

// While one exists, the program shows a dialog of its own that the toolkit may not count as one
// of its windows (the desktop's file chooser): losing the focus to it is not leaving the
// program.
class OwnDialogScope {
public:
    OwnDialogScope();
    ~OwnDialogScope();
    OwnDialogScope(const OwnDialogScope&) = delete;
    OwnDialogScope& operator=(const OwnDialogScope&) = delete;

    static bool active();
};

} // namespace platform
