// Program entry: the application object, the window set and the message loop.
#pragma once

class TAboutBox;
class TForm1;
class TForm2;
class TNavBarForm;
class TPagesDlg;
class TPasswordDlg;

// The program's windows, one instance each, created at start-up in this order and alive until
// the program ends. The windows reach each other through the interfaces the window set wires;
// these are for the program's start-up and for tests.
extern TForm1* Form1;
extern TForm2* Form2;
extern TAboutBox* AboutBox;
extern TPagesDlg* PagesDlg;
extern TNavBarForm* NavBarForm;
extern TPasswordDlg* PasswordDlg;

#include <QByteArray>
#include <QList>
#include <memory>

namespace app {

// The six windows, created in start-up order and published in the globals above; destroying
// the set clears the globals again. The program makes one; widget tests make their own.
class WindowSet {
public:
    // arguments: the command line after the program name, as its bytes.
    explicit WindowSet(const QList<QByteArray>& arguments);
    ~WindowSet();
    WindowSet(const WindowSet&) = delete;
    WindowSet& operator=(const WindowSet&) = delete;

private:
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TAboutBox> aboutBox_;
    std::unique_ptr<TPagesDlg> pagesDlg_;
    std::unique_ptr<TNavBarForm> navBar_;
    std::unique_ptr<TPasswordDlg> passwordDlg_;
};

// Runs Glimra: creates the application and its windows, then the message loop until the
// browser window closes. Returns the process exit code. --help and --version answer on the
// terminal and open no window.
int run(int argc, char** argv);

} // namespace app
