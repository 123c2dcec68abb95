// Which handler each event of the design runs.
#include <exception>

#include "wizard/Unit2.h"

void TForm2::BindEvents() {
    struct TBinding {
        TNotifyEvent& Event;
        THandler Handler;
    };
    const TBinding bindings[] = {
        {OnCreate, &TForm2::FormCreate},
        {OnShow, &TForm2::FormShow},
        {RadioGroupSerwer.OnClick, &TForm2::RadioGroupSerwerClick},
        {RadioGroupWersja.OnClick, &TForm2::RadioGroupWersjaClick},
        {CheckBoxKopia.OnClick, &TForm2::RadioGroupWersjaClick},
        {ButtonWstecz.OnClick, &TForm2::ButtonWsteczClick},
        {ButtonDalej.OnClick, &TForm2::ButtonDalejClick},
        {ComboBoxBaza.OnDropDown, &TForm2::ComboBoxBazaDropDown},
        {ComboBoxBazaLiczniki.OnDropDown, &TForm2::ComboBoxBazaDropDown},
        {ButtonWykonaj.OnClick, &TForm2::ButtonWykonajClick},
        {Button1.OnClick, &TForm2::Button1Click},
        {ComboBoxServer.OnDropDown, &TForm2::ComboBoxServerDropDown},
        {ComboBoxOracleHome.OnChange, &TForm2::ComboBoxOracleHomeChange},
        {ComboBoxOracleServer.OnChange, &TForm2::ComboBoxOracleServerChange},
        {ClientDataSet1.OnNewRecord, &TForm2::ClientDataSet1NewRecord},
        {ClientDataSet1.AfterEdit, &TForm2::ClientDataSet1AfterEdit},
        {DBEdit1.OnChange, &TForm2::DBEditChange},
        {DBEdit2.OnChange, &TForm2::DBEditChange},
        {DBEdit3.OnChange, &TForm2::DBEditChange},
        {DBEdit4.OnChange, &TForm2::DBEditChange},
        {ComboBoxUserOchrona.OnDropDown, &TForm2::ComboBoxUserDropDown},
        {ComboBoxUserRN.OnDropDown, &TForm2::ComboBoxUserDropDown},
        {ComboBoxUserLiczniki.OnDropDown, &TForm2::ComboBoxUserDropDown},
    };
    for (const TBinding& b : bindings)
        b.Event = [this, handler = b.Handler](TObject& sender) { (this->*handler)(sender); };

    BindPageShow(TabSheet0, &TForm2::TabSheet0Show);
    BindPageShow(TabSheet1Oracle, &TForm2::TabSheet1OracleShow);
    BindPageShow(TabSheet2Oracle, &TForm2::TabSheet2OracleShow);
    BindPageShow(TabSheet1, &TForm2::TabSheet1Show);
    BindPageShow(TabSheet2, &TForm2::TabSheet2Show);
}

void TForm2::BindPageShow(TTabSheet& page, THandler handler) {
    page.OnShow = [this, handler](TObject& sender) {
        try {
            (this->*handler)(sender);
        } catch (const std::exception& error) {
            Application().HandleException(error);
        }
    };
}
