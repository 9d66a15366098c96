// TAboutBox: the about box, naming the product, its version and the file types it handles.
#pragma once

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;
class TBevelPanel;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Shows the box without blocking the other windows, centred on the screen when it was
    // hidden; when it is shown already it only comes to the front. There is one box however
    // often it is asked for.
    void showNonModal();

    // Controls.
    TBevelPanel* Panel1;
    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Comments;
    QLabel* Label3;
    QPushButton* OKButton;

    // Handlers.
    void OKButtonClick(QObject* sender);

    static constexpr int kClientWidth = 298;
    static constexpr int kClientHeight = 226;
};

// A panel drawn with a lowered outer and a raised inner bevel.
class TBevelPanel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The program's icon in every size it is drawn at, for window icons and the task bar.
QIcon programIcon();
