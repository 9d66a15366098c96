#include "options/options_dialog.h"

#include "about/help_context.h"
#include "interfaces/browser.h"
#include "options/gated_tab_widget.h"
#include "options/option_checks.h"
#include "options/password_dialog.h"
#include "platform/dialogs.h"
#include "platform/error_box.h"
#include "platform/window_placement.h"
#include "settings/browser_options.h"
#include "settings/settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

using settings::BrowserOptions;

namespace {

QLabel* plainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* makeButton(const QString& caption, const QString& hint, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setToolTip(hint);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* makePasswordField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setEchoMode(QLineEdit::Password);
    field->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    return field;
}

// Runs a handler inside the error guard when the signal fires.
template <typename Sender, typename Signal, typename F>
void wire(Sender* sender, Signal signal, QObject* context, F handler) {
    QObject::connect(sender, signal, context, [handler] { platform::guarded(handler); });
}

} // namespace

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns,
                         QWidget* parent)
    : QWidget(parent), box_(new QGroupBox(caption, this)), group_(new QButtonGroup(this)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(box_);
    auto* grid = new QGridLayout(box_);
    const int rows = int((items.size() + columns - 1) / columns);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], box_);
        group_->addButton(button, i);
        grid->addWidget(button, i % rows, i / rows);
    }
}

int TRadioGroup::ItemIndex() const {
    return group_->checkedId();
}

void TRadioGroup::setItemIndex(int index) {
    if (QAbstractButton* b = group_->button(index)) {
        b->setChecked(true);
        return;
    }
    // Unchecking needs the group's exclusiveness off for a moment.
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons())
        b->setChecked(false);
    group_->setExclusive(true);
}

QRadioButton* TRadioGroup::button(int index) const {
    return static_cast<QRadioButton*>(group_->button(index));
}

TPagesDlg::TPagesDlg(interfaces::Browser* browser, TPasswordDlg* password, QWidget* parent)
    : QDialog(parent), browser_(browser), password_(password) {
    setObjectName(QStringLiteral("PagesDlg"));
    setWindowTitle(QStringLiteral("Glimra Options"));
    setModal(false);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 6);
    PageControl1 = new GatedTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    outer->addWidget(PageControl1, 1);
    TabSheet1 = new QWidget;
    TabSheet2 = new QWidget;
    PageControl1->addTab(TabSheet1, QStringLiteral("General"));
    PageControl1->addTab(TabSheet2, QStringLiteral("File Management"));
    buildGeneralPage();
    buildFileManagementPage();

    auto* strip = new QHBoxLayout;
    strip->addStretch(1);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    OKBtn->setAutoDefault(false);
    CancelBtn->setAutoDefault(false);
    strip->addWidget(OKBtn);
    strip->addWidget(CancelBtn);
    outer->addLayout(strip);
    // 441 x 428, or larger where the desktop's font needs more room for the captions.
    setFixedSize(QSize(441, 428).expandedTo(sizeHint()));

    PageControl1->gate = [this](int) { return PageControl1Changing(PageControl1); };
    if (password_) {
        // The lock uses the saved password, never what the fields hold before OK.
        password_->storedPassword = [this] { return browser_->options().AccessPassword; };
        password_->onRefused = [this] { PageControl1->setCurrentIndex(kGeneralPage); };
    }

    wire(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(OKBtn); });
    wire(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(CancelBtn); });
    wire(Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
    wire(Button2, &QPushButton::clicked, this, [this] { Button2Click(Button2); });
    wire(Button3, &QPushButton::clicked, this, [this] { Button3Click(Button3); });
    wire(Button4, &QPushButton::clicked, this, [this] { Button4Click(Button4); });
    wire(Button5, &QPushButton::clicked, this, [this] { Button5Click(Button5); });
    wire(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(BitBtn1); });
    wire(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(BitBtn2); });
    wire(CheckBox8, &QCheckBox::clicked, this, [this] { CheckBox8Click(CheckBox8); });
    wire(CheckBox9, &QCheckBox::clicked, this, [this] { CheckBox9Click(CheckBox9); });
    wire(CheckBox10, &QCheckBox::clicked, this, [this] { CheckBox10Click(CheckBox10); });
    wire(CheckBox11, &QCheckBox::clicked, this, [this] { CheckBox11Click(CheckBox11); });
    Edit1->installEventFilter(this);

    // F1 opens topic 2 from every control (the pages pass it on to what they hold) and topic 3
    // when no control has the focus.
    about::setHelpContext(this, 3);
    for (QWidget* w : std::initializer_list<QWidget*>{
             PageControl1, Edit1, Edit2, Edit3, Edit4, Edit5, Edit8, Edit9, Button1, Button2,
             Button3, Button4, Button5, RadioGroup1, RadioGroup2, OKBtn, CancelBtn})
        about::setHelpContext(w, 2);
    about::installHelpKey(this);
}

void TPagesDlg::buildGeneralPage() {
    auto* page = new QVBoxLayout(TabSheet1);
    auto* groups = new QHBoxLayout;
    RadioGroup1 = new TRadioGroup(QStringLiteral("File Browsing from Here Options"),
                                  {QStringLiteral("Use Explorer (Win95 or NT 4.0)"),
                                   QStringLiteral("Use File Manager (NT3.0)")},
                                  1, TabSheet1);
    RadioGroup2 = new TRadioGroup(QStringLiteral("File Type Display Options"),
                                  {QStringLiteral("Display All File Types"),
                                   QStringLiteral("Display Only Graphic Files"),
                                   QStringLiteral("Display Only Multimedia Files")},
                                  1, TabSheet1);
    groups->addWidget(RadioGroup1);
    groups->addWidget(RadioGroup2);
    page->addLayout(groups);

    auto* startup = new QGridLayout;
    auto* startupLabel = plainLabel(QStringLiteral("Startup Working Directory:"), TabSheet1);
    Edit1 = new QLineEdit(TabSheet1);
    startupLabel->setBuddy(Edit1);
    Button5 = makeButton(QStringLiteral("Set Current"),
                         QStringLiteral("Set Current Dir as Startup"), TabSheet1);
    startup->addWidget(startupLabel, 0, 0, 1, 2);
    startup->addWidget(Edit1, 1, 0);
    startup->addWidget(Button5, 1, 1);
    page->addLayout(startup);

    const auto item = [this, page](int n, QLineEdit*& description, QLineEdit*& command,
                                   QPushButton*& clear, QPushButton*& browse) {
        auto* group = new QGroupBox(QStringLiteral("Open With Item %1").arg(n), TabSheet1);
        auto* grid = new QGridLayout(group);
        description = new QLineEdit(group);
        command = new QLineEdit(group);
        auto* dl = plainLabel(QStringLiteral("Description:"), group);
        auto* cl = plainLabel(QStringLiteral("Executable Command Line:"), group);
        dl->setBuddy(description);
        cl->setBuddy(command);
        clear = makeButton(QStringLiteral("Clear"),
                           QStringLiteral("Erases Text for Item %1").arg(n), group);
        browse =
            makeButton(QStringLiteral("Browse"), QStringLiteral("Browse for Command Line"), group);
        grid->addWidget(dl, 0, 0);
        grid->addWidget(description, 0, 1);
        grid->addWidget(clear, 0, 2);
        grid->addWidget(cl, 1, 0);
        grid->addWidget(command, 1, 1);
        grid->addWidget(browse, 1, 2);
        page->addWidget(group);
    };
    item(1, Edit2, Edit3, Button1, Button2);
    item(2, Edit4, Edit5, Button4, Button3);

    auto* locations = new QHBoxLayout;
    BitBtn2 = makeButton(QStringLiteral("Restore Window Locations"),
                         QStringLiteral("Restore Default Window Locations"), TabSheet1);
    BitBtn1 = makeButton(QStringLiteral("Save Window Locations"),
                         QStringLiteral("Save Current Window Locations"), TabSheet1);
    locations->addWidget(BitBtn2);
    locations->addWidget(BitBtn1);
    page->addLayout(locations);
    page->addStretch(1);

    RadioGroup1->setItemIndex(0);
    RadioGroup2->setItemIndex(0);
}

void TPagesDlg::buildFileManagementPage() {
    auto* page = new QVBoxLayout(TabSheet2);
    auto* group = new QGroupBox(QStringLiteral("File Management Options"), TabSheet2);
    auto* grid = new QGridLayout(group);
    CheckBox8 = new QCheckBox(QStringLiteral("Password Protect File Operations"), group);
    grid->addWidget(CheckBox8, 0, 0, 1, 4);

    auto* pl = plainLabel(QStringLiteral("Password:"), group);
    Edit8 = makePasswordField(group);
    auto* rl = plainLabel(QStringLiteral("Retype Password:"), group);
    Edit9 = makePasswordField(group);
    pl->setBuddy(Edit8);
    rl->setBuddy(Edit9);
    grid->addWidget(pl, 1, 0);
    grid->addWidget(Edit8, 1, 1);
    grid->addWidget(rl, 1, 2);
    grid->addWidget(Edit9, 1, 3);

    CheckBox9 = new QCheckBox(QStringLiteral("Allow File Deletion (Ctrl-D)"), group);
    CheckBox4 = new QCheckBox(QStringLiteral("Send To Recycle Bin"), group);
    CheckBox1 = new QCheckBox(QStringLiteral("Prompt Before Deleting"), group);
    auto* note = plainLabel(QStringLiteral("Note:  In  NT 3.51 File Operations, there is no "
                                           "Recycle Bin and files will be permanently deleted."),
                            group);
    note->setWordWrap(true);
    CheckBox10 = new QCheckBox(QStringLiteral("Allow File Copying (Ctrl-C)"), group);
    CheckBox2 = new QCheckBox(QStringLiteral("Prompt Before Copying"), group);
    CheckBox11 = new QCheckBox(QStringLiteral("Allow File Moving (Ctrl-M)"), group);
    CheckBox3 = new QCheckBox(QStringLiteral("Prompt Before Moving"), group);
    const auto indented = [](QCheckBox* box) {
        box->setContentsMargins(18, 0, 0, 0);
        box->setStyleSheet(QStringLiteral("margin-left: 18px"));
        return box;
    };
    grid->addWidget(CheckBox9, 2, 0, 1, 2);
    grid->addWidget(CheckBox4, 2, 2, 1, 2);
    grid->addWidget(indented(CheckBox1), 3, 0, 1, 2);
    grid->addWidget(note, 3, 2, 2, 2);
    grid->addWidget(CheckBox10, 5, 0, 1, 2);
    grid->addWidget(indented(CheckBox2), 6, 0, 1, 2);
    grid->addWidget(CheckBox11, 7, 0, 1, 2);
    grid->addWidget(indented(CheckBox3), 8, 0, 1, 2);
    RadioGroup3 = new TRadioGroup(
        QStringLiteral("File Operations"),
        {QStringLiteral("Windows 95/NT4.0"), QStringLiteral("Windows NT 3.51")}, 2, group);
    grid->addWidget(RadioGroup3, 9, 0, 1, 4);
    page->addWidget(group);

    auto* lock = plainLabel(QStringLiteral("Note:  If a password is set on this screen, you will "
                                           "not be able to access this screen again without "
                                           "entering the password."),
                            TabSheet2);
    lock->setWordWrap(true);
    page->addWidget(lock);
    page->addStretch(1);

    // The state before the first load.
    RadioGroup3->setItemIndex(0);
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox10, CheckBox11})
        box->setChecked(true);
    Edit8->setEnabled(false);
    Edit9->setEnabled(false);
    CheckBox1->setEnabled(false);
    CheckBox4->setEnabled(false);
}

void TPagesDlg::setPlacedWindows(QWidget* fullSize, QWidget* navBar) {
    fullSize_ = fullSize;
    navBar_ = navBar;
}

void TPagesDlg::open() {
    if (!isVisible())
        show();
    raise();
    activateWindow();
    PageControl1->setCurrentIndex(kGeneralPage);
}

void TPagesDlg::showEvent(QShowEvent* event) {
    if (!placed_) {
        platform::centreOnScreen(this);
        placed_ = true;
    }
    if (!event->spontaneous())
        platform::guarded([this] { FormShow(this); });
    QDialog::showEvent(event);
}

bool TPagesDlg::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the field within the dialog checks it; the dialog losing the keyboard to
    // another window (the user goes on browsing) or to a menu does not.
    if (watched == Edit1 && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            platform::guarded([this] { Edit1Exit(Edit1); });
    }
    return QDialog::eventFilter(watched, event);
}

std::array<std::pair<QCheckBox*, bool BrowserOptions::*>, 8> TPagesDlg::flagBoxes() const {
    return {{{CheckBox8, &BrowserOptions::PasswordProtect},
             {CheckBox9, &BrowserOptions::AllowDel},
             {CheckBox1, &BrowserOptions::PromptDel},
             {CheckBox4, &BrowserOptions::SendRecycle},
             {CheckBox10, &BrowserOptions::AllowCopy},
             {CheckBox2, &BrowserOptions::PromptCopy},
             {CheckBox11, &BrowserOptions::AllowMove},
             {CheckBox3, &BrowserOptions::PromptMove}}};
}

std::array<std::pair<QLineEdit*, QString BrowserOptions::*>, 6> TPagesDlg::textFields() const {
    return {{{Edit1, &BrowserOptions::StartupDir},
             {Edit2, &BrowserOptions::Menu1Descrip},
             {Edit3, &BrowserOptions::Menu1Command},
             {Edit4, &BrowserOptions::Menu2Descrip},
             {Edit5, &BrowserOptions::Menu2Command},
             {Edit8, &BrowserOptions::AccessPassword}}};
}

void TPagesDlg::FormShow(QObject*) {
    const BrowserOptions& o = browser_->options();
    for (const auto& [field, member] : textFields())
        field->setText(o.*member);
    Edit9->setText(o.AccessPassword);
    for (const auto& [box, member] : flagBoxes())
        box->setChecked(o.*member);
    RadioGroup1->setItemIndex(o.UseExplorer ? 0 : 1);
    RadioGroup2->setItemIndex(o.DisplayFilter);
    RadioGroup3->setItemIndex(o.UseShellFileOps ? 0 : 1);
    // The enabling rules hold after a load too.
    CheckBox8Click(nullptr);
    CheckBox9Click(nullptr);
    CheckBox10Click(nullptr);
    CheckBox11Click(nullptr);
}

BrowserOptions TPagesDlg::editedOptions() const {
    BrowserOptions o = browser_->options(); // ExecDir is not edited here
    for (const auto& [field, member] : textFields())
        o.*member = field->text();
    for (const auto& [box, member] : flagBoxes())
        o.*member = box->isChecked();
    o.UseExplorer = RadioGroup1->ItemIndex() == 0;
    o.DisplayFilter = RadioGroup2->ItemIndex();
    o.UseShellFileOps = RadioGroup3->ItemIndex() == 0;
    // Switching protection off erases the stored password.
    if (!o.PasswordProtect)
        o.AccessPassword.clear();
    return o;
}

void TPagesDlg::OKBtnClick(QObject*) {
    const QStringList failures =
        options::optionCheckMessages({Edit2->text(), Edit3->text(), Edit4->text(), Edit5->text(),
                                      CheckBox8->isChecked(), Edit8->text(), Edit9->text()});
    for (const QString& message : failures)
        platform::showMessage(this, platform::kErrorCaption, message);
    if (!failures.isEmpty())
        return;
    const BrowserOptions edited = editedOptions();
    settings::writeBrowserOptions(settings::Settings(), edited);
    if (!edited.PasswordProtect) {
        Edit8->clear();
        Edit9->clear();
    }
    browser_->applyOptions(edited);
    hide();
}

void TPagesDlg::CancelBtnClick(QObject*) {
    hide();
}

void TPagesDlg::Edit1Exit(QObject*) {
    if (options::startupDirNeedsWarning(Edit1->text()))
        platform::showMessage(this, platform::kErrorCaption, options::kBadStartupDirMessage);
}

void TPagesDlg::Button5Click(QObject*) {
    Edit1->setText(browser_->currentDir());
}

void TPagesDlg::Button1Click(QObject*) {
    Edit2->clear();
    Edit3->clear();
}

void TPagesDlg::Button4Click(QObject*) {
    Edit4->clear();
    Edit5->clear();
}

void TPagesDlg::browseInto(QLineEdit* commandField) {
    platform::FileDialogRequest r;
    // A chooser that names no title is called "Open"; it opens where the command's program is.
    r.title = options::kProgramChooserTitle;
    r.directory = options::programChooserFolder(commandField->text());
    r.filter = QStringLiteral("Executable File|*");
    r.hideReadOnly = true;
    r.pathMustExist = true;
    r.fileMustExist = true;
    r.executablesOnly = true;
    const QString chosen = platform::dialogs().openFileName(this, r);
    if (chosen.isEmpty())
        return;
    // Commands are split at blanks, so a chosen path with blanks or quotes is quoted to stay
    // one program name.
    const bool needsQuotes =
        chosen.contains(u' ') || chosen.contains(u'\t') || chosen.contains(u'"');
    commandField->setText(
        needsQuotes ? u'"' + QString(chosen).replace(u'"', QStringLiteral("\"\"\"")) + u'"'
                    : chosen);
}

void TPagesDlg::Button2Click(QObject*) {
    browseInto(Edit3);
}

void TPagesDlg::Button3Click(QObject*) {
    browseInto(Edit5);
}

void TPagesDlg::CheckBox8Click(QObject*) {
    const bool on = CheckBox8->isChecked();
    Edit8->setEnabled(on);
    Edit9->setEnabled(on);
    if (on && PageControl1->currentIndex() == kFileManagementPage && CheckBox8->hasFocus())
        Edit8->setFocus();
}

void TPagesDlg::CheckBox9Click(QObject*) {
    CheckBox1->setEnabled(CheckBox9->isChecked());
    CheckBox4->setEnabled(CheckBox9->isChecked());
}

void TPagesDlg::CheckBox10Click(QObject*) {
    CheckBox2->setEnabled(CheckBox10->isChecked());
}

void TPagesDlg::CheckBox11Click(QObject*) {
    CheckBox3->setEnabled(CheckBox11->isChecked());
}

bool TPagesDlg::PageControl1Changing(QObject*) {
    if (!password_)
        return true;
    password_->AccessGranted = true;
    if (PageControl1->currentIndex() != kGeneralPage)
        return true;
    if (browser_->options().PasswordProtect)
        password_->ask();
    return password_->AccessGranted;
}

void TPagesDlg::BitBtn1Click(QObject*) {
    const settings::Settings ini;
    namespace k = settings::keys;
    const auto number = [](int v) { return QString::number(v); };
    if (navBar_) {
        ini.writeText(k::NavBarLeft, number(navBar_->x()));
        ini.writeText(k::NavBarTop, number(navBar_->y()));
    }
    if (fullSize_) {
        ini.writeText(k::Form2Left, number(fullSize_->x()));
        ini.writeText(k::Form2Top, number(fullSize_->y()));
    }
    const interfaces::BrowserPlacement browser = browser_->placement();
    ini.writeText(k::Splitter1Left, number(browser.splitterLeft));
    ini.writeText(k::Form1Left, number(browser.outer.x()));
    ini.writeText(k::Form1Top, number(browser.outer.y()));
    ini.writeText(k::Form1Width, number(browser.outer.width()));
    ini.writeText(k::Form1Height, number(browser.outer.height()));
}

void TPagesDlg::BitBtn2Click(QObject*) {
    settings::writeDefaultLocations(settings::Settings());
    if (navBar_)
        platform::moveOuter(navBar_, {0, 0});
    if (fullSize_)
        platform::moveOuter(fullSize_, {0, 0});
    browser_->restoreDesignedPlacement();
}
