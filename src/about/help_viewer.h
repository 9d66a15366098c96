// The help file and the window that shows it: WinHelp opens the contents or the topic of a help
// context in one help window; tests install a recorder instead.
//
// The help file ("Glim.hlp") is UTF-8 text holding several HTML topics. A line that reads
// exactly
//     <!-- topic ID: TITLE -->
// starting in its first column opens a topic; ID is "contents" or a help context number
// (1, 2, 3 ...), TITLE is what the help window's caption shows for it. The topic runs up to the
// next such line or the end of the file. Text before the first topic line is the file's own
// commentary and is never shown. Links between topics are written <a href="topic:2"> or
// <a href="topic:contents">. A file without a contents topic gets one made from its topics'
// titles; when an ID appears twice, the first topic counts.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>
#include <optional>

class QPushButton;

namespace about {

// The commands of WinHelp the program uses.
inline constexpr int HELP_CONTEXT = 1; // data: the help context number
inline constexpr int HELP_QUIT = 2;    // closes the help window for good (program end)
inline constexpr int HELP_FINDER = 11; // data: 0; shows the contents

struct HelpTopic {
    QString title;
    QString html;
};

// The topics of one help file.
struct HelpBook {
    HelpTopic contents;
    QMap<int, HelpTopic> topics;

    // The topic a "topic:" address names, if the book has it.
    std::optional<HelpTopic> topic(const QUrl& address) const;
};

// Reads the topics from the bytes of a help file.
HelpBook parseHelpBook(const QByteArray& bytes);

// The address of the contents (0) or of a numbered topic.
QUrl topicAddress(int context);

// The help window: the topic shown, with Contents, Back and Forward, and links between topics.
class THelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget* parent = nullptr);

    // Replaces the topics (the file is read anew for every request).
    void setBook(const HelpBook& book);
    // Shows the contents (0) or a numbered topic, and brings the window to the front.
    void showTopic(int context);

    // The title of the topic shown.
    QString topicTitle() const;
    // The address of the topic shown.
    QUrl topicShown() const;

    QTextBrowser* browser() const { return browser_; }
    QPushButton* contentsButton() const { return contents_; }
    QPushButton* backButton() const { return back_; }
    QPushButton* forwardButton() const { return forward_; }

    static inline const QString kCaption = QStringLiteral("Glimra Help");

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Browser;
    void sourceChanged(const QUrl& address);

    HelpBook book_;
    QTextBrowser* browser_;
    QPushButton* contents_;
    QPushButton* back_;
    QPushButton* forward_;
};

// What answers WinHelp: the help window, or a test's recorder.
class HelpService {
public:
    virtual ~HelpService() = default;
    virtual bool winHelp(const QString& helpFile, int command, int data) = 0;
};

// The service in use: the help window unless a test installed its own.
HelpService& helpService();
// Installs a replacement (not owned); nullptr restores the help window.
void setHelpService(HelpService* replacement);

// Opens the help file: HELP_FINDER shows the contents, HELP_CONTEXT the topic of data (the
// contents for 0), HELP_QUIT closes the help window. A help file that cannot be read, or a topic
// it lacks, is reported in a "Glimra Error" message box. Returns false when nothing was shown.
bool WinHelp(const QString& helpFile, int command, int data);

// The application's help file, set once while the browser window is created; F1 and Help
// Topics use it.
void setApplicationHelpFile(const QString& path);
QString applicationHelpFile();

// The help window the real service shows, if it was opened.
THelpViewer* helpViewer();

} // namespace about
