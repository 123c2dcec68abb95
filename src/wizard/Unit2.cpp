#include "wizard/Unit2.h"

#include "platform/Platform.h"

TForm2::TForm2(TPlatform& platform, TSession& session, TApplication& application)
    : TForm(application),
      Database1(session),
      Database2(session),
      DatabaseOracle(session),
      Query1(session),
      Query2(session),
      Query2USERNAME(Query2, "USERNAME", 30),
      Platform(platform),
      Session(session) {
    LoadDesign();
    // The first form created is the application's main form, as the
    // framework's CreateForm makes it: closing it ends the program.
    if (!Application().MainForm()) Application().SetMainForm(this);
    DoCreate();
}

TForm2::~TForm2() {
    if (Application().MainForm() == this) Application().SetMainForm(nullptr);
}

void TForm2::LoadDesign() {
    LoadPages();
    LoadHelpTexts();
    LoadDataComponents();
    BindEvents();
}
