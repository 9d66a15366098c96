// StatusPanel: a one-line text panel (the status lines and the file-size line) whose text is
// kept whole, for screen readers, tooltips and every caller that reads it, while what is drawn
// is shortened in the middle of the path when the panel is too narrow, so the file name, the
// picture size and the colours stay in view.
#pragma once

#include <QFontMetrics>
#include <QLabel>
#include <QString>

namespace preview {

// Where the part of a status or file-size text that may be shortened ends: the path before
// " - Image Size: ...", " - Playing" or " - Stopped"; "FileSize:" before the size; else the
// whole text (a bare path, "No File Loaded.").
qsizetype shortenableLength(const QString& text);

// The text as a panel width pixels wide shows it: whole when it fits; else its shortenable
// part elided in the middle with "…" and the rest kept; else, when not even the rest fits,
// the rest elided at its end.
QString elidedStatus(const QString& text, const QFontMetrics& metrics, int width);

class StatusPanel : public QLabel {
    Q_OBJECT
public:
    explicit StatusPanel(const QString& text = QString(), QWidget* parent = nullptr);

    // The text as drawn now, shortened or whole.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A pause of the pointer over a shortened text shows the whole text.
    bool event(QEvent* event) override;

private:
    QRect textRect() const;
};

} // namespace preview
