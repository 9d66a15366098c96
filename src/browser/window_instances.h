// The program's six windows as single instances, defined by the window set of app/.
#pragma once

class TAboutBox;
class TForm1;
class TForm2;
class TNavBarForm;
class TPagesDlg;
class TPasswordDlg;

// The program's windows, one instance each, created at start-up in this order and alive until
// the program ends. Windows reach each other through these.
extern TForm1* Form1;
extern TForm2* Form2;
extern TAboutBox* AboutBox;
extern TPagesDlg* PagesDlg;
extern TNavBarForm* NavBarForm;
extern TPasswordDlg* PasswordDlg;
