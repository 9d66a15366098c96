#include "about/help_viewer.h"

#include "platform/dialogs.h"

#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace about {
namespace {

const QString kScheme = QStringLiteral("topic");
const QString kContentsId = QStringLiteral("contents");

// A help file is a few dozen kilobytes; anything past this is not one.
constexpr qint64 kLargestHelpFile = qint64{16} * 1024 * 1024;

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

// The contents of a file that brings none: one link per topic, in number order.
HelpTopic madeContents(const QMap<int, HelpTopic>& topics) {
    QString html = QStringLiteral("<h1>Glimra Help Topics</h1>\n<ul>\n");
    for (auto it = topics.cbegin(); it != topics.cend(); ++it)
        html += QStringLiteral("<li><a href=\"topic:%1\">%2</a></li>\n")
                    .arg(it.key())
                    .arg(escaped(it->title));
    html += QStringLiteral("</ul>\n");
    return {QStringLiteral("Help Topics"), html};
}

} // namespace

std::optional<HelpTopic> HelpBook::topic(const QUrl& address) const {
    if (address.scheme() != kScheme)
        return std::nullopt;
    const QString id = address.path();
    if (id == kContentsId)
        return contents;
    bool number = false;
    const int context = id.toInt(&number);
    if (!number || !topics.contains(context))
        return std::nullopt;
    return topics.value(context);
}

HelpBook parseHelpBook(const QByteArray& bytes) {
    static const QRegularExpression marker(
        QStringLiteral("^<!--[ \\t]*topic[ \\t]+(contents|[0-9]+)[ \\t]*:[ \\t]*(.*?)[ \\t]*-->$"));
    HelpBook book;
    std::optional<HelpTopic> contents;
    QString id;
    HelpTopic current;
    bool inTopic = false;
    const auto finish = [&] {
        if (!inTopic)
            return;
        if (id == kContentsId) {
            if (!contents)
                contents = current;
            return;
        }
        bool number = false;
        const int context = id.toInt(&number);
        if (number && context > 0 && !book.topics.contains(context))
            book.topics.insert(context, current);
    };

    const QString text = QString::fromUtf8(bytes);
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QRegularExpressionMatch m = marker.match(line);
        if (m.hasMatch()) {
            finish();
            inTopic = true;
            id = m.captured(1);
            current = {m.captured(2), QString()};
            continue;
        }
        if (inTopic) {
            current.html += line;
            current.html += u'\n';
        }
    }
    finish();
    book.contents = contents ? *contents : madeContents(book.topics);
    return book;
}

QUrl topicAddress(int context) {
    QUrl address;
    address.setScheme(kScheme);
    address.setPath(context == 0 ? kContentsId : QString::number(context));
    return address;
}

// The text pane: serves "topic:" addresses from the book, so Back and Forward and links between
// topics work as in any browser.
class THelpViewer::Browser : public QTextBrowser {
public:
    Browser(const HelpBook& book, QWidget* parent) : QTextBrowser(parent), book_(book) {}

    QVariant loadResource(int type, const QUrl& name) override {
        if (name.scheme() == kScheme) {
            if (const auto topic = book_.topic(name))
                return topic->html;
            return QStringLiteral("<p>This help topic does not exist.</p>");
        }
        // Nothing outside the help file is fetched.
        if (type == QTextDocument::HtmlResource)
            return QString();
        return QVariant();
    }

private:
    const HelpBook& book_;
};

THelpViewer::THelpViewer(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(kCaption);
    browser_ = new Browser(book_, this);
    browser_->setObjectName(QStringLiteral("HelpText"));
    browser_->setOpenExternalLinks(false);
    contents_ = new QPushButton(QStringLiteral("&Contents"), this);
    back_ = new QPushButton(QStringLiteral("&Back"), this);
    forward_ = new QPushButton(QStringLiteral("&Forward"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    for (QPushButton* b : {contents_, back_, forward_, close}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
    }
    back_->setEnabled(false);
    forward_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents_);
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_, 1);

    connect(contents_, &QPushButton::clicked, this,
            [this] { browser_->setSource(topicAddress(0), QTextDocument::HtmlResource); });
    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &THelpViewer::sourceChanged);
    resize(560, 480);
}

void THelpViewer::setBook(const HelpBook& book) {
    book_ = book;
}

void THelpViewer::showTopic(int context) {
    const QUrl address = topicAddress(context);
    if (browser_->source() == address)
        browser_->reload(); // the file may have changed since
    else
        browser_->setSource(address, QTextDocument::HtmlResource);
    sourceChanged(browser_->source());
    show();
    raise();
    activateWindow();
}

QString THelpViewer::topicTitle() const {
    const auto topic = book_.topic(browser_->source());
    return topic ? topic->title : QString();
}

QUrl THelpViewer::topicShown() const {
    return browser_->source();
}

void THelpViewer::sourceChanged(const QUrl& address) {
    const auto topic = book_.topic(address);
    const QString title = topic ? topic->title : QString();
    setWindowTitle(title.isEmpty() ? kCaption : kCaption + QStringLiteral(" - ") + title);
}

void THelpViewer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

namespace {

QString g_applicationHelpFile;
HelpService* g_replacement = nullptr;
QPointer<THelpViewer> g_viewer;

void reportError(const QString& text) {
    platform::showMessage(nullptr, platform::kErrorCaption, text);
}

// Reads the help file; reports what went wrong and returns nothing when it cannot.
std::optional<HelpBook> readHelpBook(const QString& helpFile) {
    if (helpFile.isEmpty()) {
        reportError(QStringLiteral("No help file is set."));
        return std::nullopt;
    }
    QFile file(helpFile);
    if (!file.open(QIODevice::ReadOnly)) {
        reportError(QStringLiteral("Unable to open the help file %1 (%2).")
                        .arg(helpFile, file.errorString()));
        return std::nullopt;
    }
    if (file.size() > kLargestHelpFile) {
        reportError(
            QStringLiteral("The help file %1 is too large to be a help file.").arg(helpFile));
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reportError(QStringLiteral("Unable to read the help file %1 (%2).")
                        .arg(helpFile, file.errorString()));
        return std::nullopt;
    }
    return parseHelpBook(bytes);
}

class ViewerService final : public HelpService {
public:
    bool winHelp(const QString& helpFile, int command, int data) override {
        if (command == HELP_QUIT) {
            delete g_viewer.data();
            return true;
        }
        if (command != HELP_FINDER && command != HELP_CONTEXT)
            return false;
        const auto book = readHelpBook(helpFile);
        if (!book)
            return false;
        int context = command == HELP_CONTEXT ? data : 0;
        if (context != 0 && !book->topics.contains(context)) {
            reportError(QStringLiteral("The help file %1 has no topic for help context %2.")
                            .arg(helpFile)
                            .arg(context));
            context = 0;
        }
        if (!g_viewer)
            g_viewer = new THelpViewer;
        g_viewer->setBook(*book);
        g_viewer->showTopic(context);
        return true;
    }
};

} // namespace

HelpService& helpService() {
    static ViewerService real;
    return g_replacement ? *g_replacement : real;
}

void setHelpService(HelpService* replacement) {
    g_replacement = replacement;
}

bool WinHelp(const QString& helpFile, int command, int data) {
    return helpService().winHelp(helpFile, command, data);
}

void setApplicationHelpFile(const QString& path) {
    g_applicationHelpFile = path;
}

QString applicationHelpFile() {
    return g_applicationHelpFile;
}

THelpViewer* helpViewer() {
    return g_viewer.data();
}

} // namespace about
