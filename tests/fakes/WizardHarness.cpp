#include "fakes/WizardHarness.h"

#include <exception>

WizardWorkstation::WizardWorkstation() {
    Registry.SetString(reg::HKeyLocalMachine, EngineKey, "CONFIGFILE01", ConfigFile);
    Application.SetTitle(Title);
    Application.SetMessageBoxView(&ErrorBox);
}

void WizardWorkstation::StoreChoice(const std::string& name, std::int32_t value) {
    Registry.SetDword(reg::HKeyCurrentUser, SettingsKey, name, value);
}

TForm2& WizardWorkstation::Open() {
    form_ = std::make_unique<TForm2>(Platform, Session, Application);
    form_->Show();
    return *form_;
}

void WizardWorkstation::User(const std::function<void()>& action) {
    try {
        action();
    } catch (...) {
        Application.HandleException(std::current_exception());
    }
}

std::vector<std::string> WizardWorkstation::Errors() const {
    std::vector<std::string> texts;
    for (const auto& shown : ErrorBox.Shown) texts.push_back(shown.second);
    return texts;
}

void FillSqlServerPages(TForm2& form) {
    form.ButtonDalej.Click();
    form.ButtonDalej.Click();
    form.ComboBoxServer.UserType("SERWER\\SQL");
    form.CheckBoxWindows.UserToggle();
    form.ButtonDalej.Click();
    form.ComboBoxBaza.UserType("Rondel");
    form.ComboBoxBazaLiczniki.UserType("RondelLiczniki");
}

void FillOraclePages(TForm2& form) {
    form.ButtonDalej.Click();
    form.ButtonDalej.Click();
    form.ComboBoxOracleServer.UserType("NOWY.SERWIS");
    form.DBEdit2.UserType("db.example");
    form.DBEdit3.UserType("1522");
    form.DBEdit4.UserType("RONDEL");
    form.ButtonDalej.Click();
}
