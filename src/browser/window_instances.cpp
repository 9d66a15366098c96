#include "browser/window_instances.h"

TForm1* Form1 = nullptr;
TForm2* Form2 = nullptr;
TAboutBox* AboutBox = nullptr;
TPagesDlg* PagesDlg = nullptr;
TNavBarForm* NavBarForm = nullptr;
TPasswordDlg* PasswordDlg = nullptr;
