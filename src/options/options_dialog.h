// TPagesDlg: the modeless options dialog that edits a copy of the browser window's options,
// writes them to GLIM.INI on OK and applies them to the browser at once.
#pragma once

#include "interfaces/options_window.h"
#include "settings/browser_options.h"

#include <QDialog>
#include <array>
#include <utility>

class GatedTabWidget;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TPasswordDlg;

namespace interfaces {
class Browser;
}

// A group of radio buttons with Delphi's item index: -1 when none is chosen.
class TRadioGroup;

class TPagesDlg : public QDialog, public interfaces::OptionsWindow {
    Q_OBJECT
public:
    // browser: the window whose options the dialog edits; password: the prompt of the
    // file-management page.
    TPagesDlg(interfaces::Browser* browser, TPasswordDlg* password, QWidget* parent = nullptr);

    // The full-size window and the navigation bar, whose places Save and Restore Window
    // Locations keep too; they are created after the dialog.
    void setPlacedWindows(QWidget* fullSize, QWidget* navBar);

    GatedTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    TRadioGroup* RadioGroup1;
    TRadioGroup* RadioGroup2;
    TRadioGroup* RadioGroup3;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QLineEdit* Edit5;
    QLineEdit* Edit8;
    QLineEdit* Edit9;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QCheckBox* CheckBox1;
    QCheckBox* CheckBox2;
    QCheckBox* CheckBox3;
    QCheckBox* CheckBox4;
    QCheckBox* CheckBox8;
    QCheckBox* CheckBox9;
    QCheckBox* CheckBox10;
    QCheckBox* CheckBox11;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    // Handlers.
    void FormShow(QObject* sender);
    void OKBtnClick(QObject* sender);
    void CancelBtnClick(QObject* sender);
    void Edit1Exit(QObject* sender);
    void Button5Click(QObject* sender);
    void Button1Click(QObject* sender);
    void Button4Click(QObject* sender);
    void Button2Click(QObject* sender);
    void Button3Click(QObject* sender);
    void CheckBox8Click(QObject* sender);
    void CheckBox9Click(QObject* sender);
    void CheckBox10Click(QObject* sender);
    void CheckBox11Click(QObject* sender);
    // Save and Restore Window Locations.
    void BitBtn1Click(QObject* sender);
    void BitBtn2Click(QObject* sender);
    // The page-change gate; returns whether the change is allowed.
    bool PageControl1Changing(QObject* sender);

    // Shows the dialog (loading it when it was hidden), brings it to the front and selects
    // "General"; what the three browser commands that open it do.
    void open() override;
    // Save Window Locations, also run from the browser's menu.
    void saveWindowLocations() override { BitBtn1Click(nullptr); }

    static constexpr int kGeneralPage = 0;
    static constexpr int kFileManagementPage = 1;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGeneralPage();
    void buildFileManagementPage();
    void browseInto(QLineEdit* commandField);
    // The controls that edit options, each with its option: loading and OK both walk these.
    std::array<std::pair<QCheckBox*, bool settings::BrowserOptions::*>, 8> flagBoxes() const;
    std::array<std::pair<QLineEdit*, QString settings::BrowserOptions::*>, 6> textFields() const;
    // The browser's options as the controls edit them.
    settings::BrowserOptions editedOptions() const;

    interfaces::Browser* browser_;
    TPasswordDlg* password_;
    QWidget* fullSize_ = nullptr;
    QWidget* navBar_ = nullptr;
    bool placed_ = false;
};

class TRadioGroup : public QWidget {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent);
    int ItemIndex() const;
    // An index out of range chooses no item.
    void setItemIndex(int index);
    QRadioButton* button(int index) const;

private:
    QGroupBox* box_;
    QButtonGroup* group_;
};
