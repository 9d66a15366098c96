#include "about/about_box.h"

#include "about/help_context.h"
#include "platform/version.h"
#include "platform/window_placement.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <qdrawutil.h>

namespace {

const QString kProgramIcon = QStringLiteral(":/icons/hicolor/32x32/glimra.png");

QFont sansSerif(int pixelHeight) {
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    return font;
}

QLabel* makeLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setContentsMargins(0, 0, 0, 0);
    label->setMargin(0);
    return label;
}

void makeBlack(QLabel* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
}

} // namespace

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/glimra.png").arg(size),
                     QSize(size, size));
    return icon;
}

void TBevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outer = rect();
    qDrawShadePanel(&painter, outer, palette(), /*sunken=*/true, 1);
    qDrawShadePanel(&painter, outer.adjusted(1, 1, -1, -1), palette(), /*sunken=*/false, 1);
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Glimra"));
    setModal(false);
    setFont(sansSerif(11));
    setFixedSize(kClientWidth, kClientHeight);

    Panel1 = new TBevelPanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 281, 181);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setTextFormat(Qt::PlainText);
    ProgramIcon->setGeometry(8, 8, 32, 32);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(QPixmap(kProgramIcon));

    ProductName = makeLabel(QStringLiteral("Glimra Graphic Browser"), Panel1);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setFont(sansSerif(16));
    makeBlack(ProductName);
    ProductName->setGeometry(48, 6, 191, 20);

    Version = makeLabel(QStringLiteral("Version " GLIMRA_VERSION), Panel1);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setFont(sansSerif(13));
    makeBlack(Version);
    Version->move(48, 24);
    Version->adjustSize();

    Comments = makeLabel(
        QStringLiteral("Glimra Graphic Browser supports the following file types:    *.art, "
                       "*.bmp, *.cut, *.dib, *.emf, *.gem, *.gif, *.hrz, *.iff, *.img, *.jpg, "
                       "*.lbm, *.mac, *.msp, *.pcx, *.pic, *.png, *.ras, *.rle, *.tga, *.tif, "
                       "*.wmf, *.wpg, *.wav, *.mid., *.rmi"),
        Panel1);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setWordWrap(true);
    Comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Comments->setGeometry(8, 104, 264, 52);
    // A desktop font wider than the one the box was drawn for needs a line more: the text then
    // grows upwards into the free space under the version, so none of it is cut off and it
    // still ends where the last line of types begins.
    const int needed =
        Comments->fontMetrics()
            .boundingRect(QRect(0, 0, Comments->width(), 1000), Qt::TextWordWrap, Comments->text())
            .height();
    if (needed > Comments->height())
        Comments->setGeometry(8, 156 - needed, 264, needed);

    Label3 = makeLabel(QStringLiteral("*.avi, Animated *.gif, and Progressive *.jpg"), Panel1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->move(8, 156);
    Label3->adjustSize();

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 196, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(OKButton); });

    // F1 works here as in every window, and finds no context: the box has no help topic.
    about::installHelpKey(this);
}

void TAboutBox::showNonModal() {
    if (!isVisible()) {
        platform::centreOnScreen(this);
        show();
    }
    raise();
    activateWindow();
}

void TAboutBox::OKButtonClick(QObject*) {
    hide();
}
