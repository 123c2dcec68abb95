#include "unattended/Recorder.h"

#include "base/Exception.h"
#include "platform/FileSystem.h"
#include "wizard/Unit2.h"

TAnswers AnswersOf(const TForm2& form) {
    TAnswers answers;
    const auto yesNo = [](bool yes) { return std::string(yes ? "tak" : "nie"); };
    // Any server index but 0 takes the Oracle path, any version but 0 is "10".
    answers.Set(TAnswer::Serwer, form.RadioGroupSerwer.ItemIndex() == 0 ? "MSSQL" : "Oracle");
    answers.Set(TAnswer::Wersja, form.RadioGroupWersja.ItemIndex() == 0 ? "9" : "10");
    answers.Set(TAnswer::BazaTestowa, yesNo(form.CheckBoxKopia.Checked()));
    const std::pair<TAnswer, const TControl*> texts[] = {
        {TAnswer::NazwaZrodlaDanych, &form.ComboBoxNazwaZrodla},
        {TAnswer::NazwaSerwera, &form.ComboBoxServer},
        {TAnswer::NazwaBazy, &form.ComboBoxBaza},
        {TAnswer::NazwaBazyLiczniki, &form.ComboBoxBazaLiczniki},
        {TAnswer::NazwaOracleHome, &form.ComboBoxOracleHome},
        {TAnswer::NazwaSerwisu, &form.ComboBoxOracleServer},
        {TAnswer::Protokol, &form.DBEdit1},
        {TAnswer::NazwaLubIPSerwera, &form.DBEdit2},
        {TAnswer::PortSerwera, &form.DBEdit3},
        {TAnswer::NazwaBazySID, &form.DBEdit4},
        {TAnswer::SchematOchrona, &form.ComboBoxUserOchrona},
        {TAnswer::SchematRondel, &form.ComboBoxUserRN},
        {TAnswer::SchematRondelLiczniki, &form.ComboBoxUserLiczniki},
    };
    for (const auto& [answer, control] : texts) answers.Set(answer, control->Text());
    answers.Set(TAnswer::LogowanieWindows, yesNo(form.CheckBoxWindows.Checked()));
    return answers;
}

void RecordAnswersOnApply(TForm2& form, TFileSystem& files, const std::string& path, const std::string& comment) {
    form.ButtonWykonaj.OnClick = [&form, &files, path, comment, apply = form.ButtonWykonaj.OnClick](TObject& sender) {
        apply(sender);
        if (form.PageControl2.ActivePageIndex() != 1) return;
        const std::string text = WriteAnswerFile(AnswersOf(form), comment);
        try {
            ReadAnswerFile(text, path);
        } catch (const Exception& refused) {
            throw Exception("Nie zapisano odpowiedzi, bo nie dałyby się odtworzyć. " + refused.Message());
        }
        files.WriteBytes(path, text);
    };
}
