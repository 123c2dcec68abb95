// The form's visual design at 104 dpi: the window, the two page controls,
// the seven wizard pages and the status page with every control.
#include <initializer_list>
#include <utility>

#include "wizard/Unit2.h"

namespace {

struct TBounds {
    int Left, Top, Width, Height;
};

// One control on its parent. TabOrder -1: not in the Tab order. Containers
// hold a place in the order but hand the focus on to their children.
struct TPlacement {
    TControl& Control;
    const char* Name;
    TWinControl& Parent;
    const char* Text;  // caption or text
    TBounds Bounds;
    int TabOrder;
};

void Place(const TPlacement& p) {
    p.Control.SetName(p.Name);
    p.Control.SetParent(&p.Parent);
    p.Control.SetBounds(p.Bounds.Left, p.Bounds.Top, p.Bounds.Width, p.Bounds.Height);
    p.Control.SetText(p.Text);
    if (p.TabOrder < 0) return;
    p.Control.SetTabOrder(p.TabOrder);
    p.Control.SetTabStop(dynamic_cast<TWinControl*>(&p.Control) == nullptr);
}

// A sheet's caption is its own name; the wizard never shows it.
void AddSheets(::TPageControl& pages, std::initializer_list<std::pair<TTabSheet&, const char*>> sheets) {
    for (const auto& [sheet, name] : sheets) {
        sheet.SetName(name);
        sheet.SetCaption(name);
        sheet.SetPageControl(&pages);
    }
}

}  // namespace

#define NAMED(control) control, #control

void TForm2::LoadPages() {
    SetName("Form2");
    SetCaption("Konfiguracja BDE");
    SetClientSize(596, 336);
    SetColor(clWindow);
    SetFont(TFont{"Tahoma", 12, false, clWindowText});

    // Page controls: the outer one fills the window, the wizard's lies on top
    // of its first page, above the button row. Sheets in page index order.
    // Both paint their own background rather than their parent's: the
    // wizard pages keep the page colour under the themed look.
    for (::TPageControl* pages : {&PageControl2, &PageControl1}) pages->SetColor(clBtnFace);
    Place({NAMED(PageControl2), *this, "", {0, 0, 596, 336}, 0});
    PageControl2.SetAlign(alClient);
    AddSheets(PageControl2, {{NAMED(TabSheet4)}, {NAMED(TabSheet5)}});
    Place({NAMED(PageControl1), TabSheet4, "", {0, 0, 588, 264}, 0});
    PageControl1.SetAlign(alTop);
    AddSheets(PageControl1, {{NAMED(TabSheet0)}, {NAMED(TabSheet1)}, {NAMED(TabSheet1Oracle)}, {NAMED(TabSheet2)},
                             {NAMED(TabSheet2Oracle)}, {NAMED(TabSheet3)}, {NAMED(TabSheet3Oracle)}});

    const TPlacement controls[] = {
        // Page 0: server type, version, test copy.
        {NAMED(Label5), TabSheet0, "Konfiguracja BDE dla systemu Veltra - Rondel i Wodą", {17, 13, 527, 48}, -1},
        {NAMED(RadioGroupSerwer), TabSheet0, "Serwer", {127, 65, 165, 104}, 1},
        {NAMED(RadioGroupWersja), TabSheet0, "Wersja", {338, 65, 96, 104}, 0},
        {NAMED(CheckBoxKopia), TabSheet0, "Baza testowa (Kopia)", {129, 177, 143, 18}, 2},
        {NAMED(LabelConfigFile), TabSheet0, "", {9, 207, 543, 27}, -1},

        // Page 1: ODBC data source.
        {NAMED(Label1), TabSheet1, "Nazwa źródła danych ODBC", {26, 27, 148, 14}, -1},
        {NAMED(ComboBoxNazwaZrodla), TabSheet1, "MSSQL Veltra RN", {185, 24, 342, 22}, 0},
        {NAMED(Memo1), TabSheet1, "", {69, 95, 415, 70}, 1},

        // Page 2: Oracle home.
        {NAMED(Label6), TabSheet1Oracle, "Nazwa Oracle Home", {69, 36, 109, 14}, -1},
        {NAMED(ComboBoxOracleHome), TabSheet1Oracle, "", {190, 32, 263, 22}, 0},
        {NAMED(Label8), TabSheet1Oracle, "Nazwa pakietu", {112, 69, 79, 14}, -1},
        {NAMED(EditBoundle), TabSheet1Oracle, "", {211, 65, 225, 22}, 1},
        {NAMED(LabelNLS), TabSheet1Oracle, "Kodowanie znaków", {90, 99, 105, 14}, -1},
        {NAMED(EditNLS), TabSheet1Oracle, "", {211, 95, 225, 22}, 2},
        {NAMED(Label7), TabSheet1Oracle, "Folder Oracle Home", {90, 129, 107, 14}, -1},
        {NAMED(EditFolderHome), TabSheet1Oracle, "", {211, 125, 225, 22}, 3},
        {NAMED(Memo6), TabSheet1Oracle, "", {60, 164, 436, 40}, 4},

        // Page 3: SQL Server and kind of login.
        {NAMED(Label2), TabSheet2, "Nazwa serwera MSSQL", {43, 27, 124, 14}, -1},
        {NAMED(ComboBoxServer), TabSheet2, "", {181, 24, 341, 22}, 0},
        {NAMED(CheckBoxWindows), TabSheet2, "Logowanie do serwera poprzez użytkownika Windows", {115, 60, 316, 19}, 1},
        {NAMED(Memo2), TabSheet2, "", {69, 95, 415, 70}, 2},
        {NAMED(CheckBoxDMO), TabSheet2,
         "Użyj metody wyszukiwania serwerów \"SQLBrowseConnect\" (szybka ale nie zawsze skuteczna).",
         {114, 185, 333, 36}, 3},

        // Page 4: net service entry.
        {NAMED(Label9), TabSheet2Oracle, "Nazwa serwisu Oracle", {101, 14, 117, 14}, -1},
        {NAMED(ComboBoxOracleServer), TabSheet2Oracle, "xe.serwer", {226, 11, 174, 22}, 0},
        {NAMED(Label10), TabSheet2Oracle, "Protokół", {112, 52, 45, 14}, -1},
        {NAMED(DBEdit1), TabSheet2Oracle, "", {164, 47, 91, 22}, 1},
        {NAMED(Label11), TabSheet2Oracle, "Nazwa lub IP serwera", {43, 78, 117, 14}, -1},
        {NAMED(DBEdit2), TabSheet2Oracle, "", {164, 73, 387, 22}, 2},
        {NAMED(Label12), TabSheet2Oracle, "Port serwera", {82, 103, 70, 14}, -1},
        {NAMED(DBEdit3), TabSheet2Oracle, "", {164, 99, 70, 22}, 3},
        {NAMED(Label13), TabSheet2Oracle, "Nazwa bazy (SID)", {56, 129, 96, 14}, -1},
        {NAMED(DBEdit4), TabSheet2Oracle, "", {164, 125, 195, 22}, 4},
        {NAMED(Memo5), TabSheet2Oracle, "", {60, 164, 436, 52}, 5},

        // Page 5: database names.
        {NAMED(Label3), TabSheet3, "Nazwa bazy danych", {95, 27, 106, 14}, -1},
        {NAMED(ComboBoxBaza), TabSheet3, "", {220, 24, 281, 22}, 0},
        {NAMED(Label4), TabSheet3, "Nazwa bazy danych dla liczników", {39, 61, 176, 14}, -1},
        {NAMED(ComboBoxBazaLiczniki), TabSheet3, "", {220, 58, 281, 22}, 1},
        {NAMED(Memo3), TabSheet3, "", {69, 95, 415, 113}, 2},

        // Page 6: schema users, the boxes inside the group box.
        {NAMED(GroupBox1), TabSheet3Oracle, "Nazwy użtkowników schematów", {34, 9, 497, 143}, 0},
        {NAMED(Label14), GroupBox1, "Ochrona", {106, 30, 46, 14}, -1},
        {NAMED(ComboBoxUserOchrona), GroupBox1, "VELTRA_OCHRONA", {185, 26, 260, 22}, 0},
        {NAMED(Label15), GroupBox1, "Rondel", {75, 65, 78, 14}, -1},
        {NAMED(ComboBoxUserRN), GroupBox1, "VELTRA_RN", {185, 60, 260, 22}, 1},
        {NAMED(Label16), GroupBox1, "Rondel - Liczniki", {30, 103, 126, 14}, -1},
        {NAMED(ComboBoxUserLiczniki), GroupBox1, "", {185, 99, 260, 22}, 2},
        {NAMED(Memo4), TabSheet3Oracle, "", {26, 159, 526, 66}, 1},

        // Button row under the wizard pages (after PageControl1 in the Tab order).
        {NAMED(ButtonWstecz), TabSheet4, "< Wstecz", {124, 280, 81, 27}, 1},
        {NAMED(ButtonDalej), TabSheet4, "Dalej >", {244, 280, 81, 27}, 2},
        {NAMED(ButtonWykonaj), TabSheet4, "Wykonaj", {361, 280, 81, 27}, 3},

        // Status page.
        {NAMED(MemoStatus), TabSheet5, "", {0, 0, 588, 272}, 0},
        {NAMED(Button1), TabSheet5, "OK", {237, 280, 81, 27}, 1},
    };
    for (const TPlacement& p : controls) Place(p);

    RadioGroupSerwer.Items().Assign({"Microsoft SQL Server", "Oracle Server"});
    RadioGroupSerwer.SetItemIndex(0);
    RadioGroupWersja.Items().Assign({"9 (II)", "10 (X)"});
    RadioGroupWersja.SetItemIndex(1);

    // Check boxes are unchecked, captioned right of the box, unwrapped and
    // visible unless set here.
    for (TCheckBox* box : {&CheckBoxWindows, &CheckBoxDMO}) {
        box->SetChecked(true);
        box->SetAlignment(taLeftJustify);
    }
    CheckBoxDMO.SetWordWrap(true);
    CheckBoxDMO.SetVisible(false);

    // Combo boxes are editable, unsorted and unlimited unless set here; the
    // server and schema-user lists keep the order they are found in.
    for (TComboBox* box : {&ComboBoxNazwaZrodla, &ComboBoxOracleHome, &ComboBoxOracleServer, &ComboBoxBaza,
                           &ComboBoxBazaLiczniki})
        box->SetSorted(true);
    ComboBoxOracleHome.SetStyle(csDropDownList);
    ComboBoxNazwaZrodla.SetMaxLength(32);

    // What the Oracle home settles is shown, not edited.
    for (TEdit* edit : {&EditBoundle, &EditNLS, &EditFolderHome}) {
        edit->SetReadOnly(true);
        edit->SetColor(clBtnFace);
    }

    for (TMemo* memo : {&Memo1, &Memo6, &Memo2, &Memo5, &Memo3, &Memo4, &MemoStatus}) memo->SetReadOnly(true);
    Memo6.SetColor(clBtnFace);
    MemoStatus.SetAlign(alTop);

    // Enter presses whichever default button is enabled; "< Wstecz" starts disabled.
    for (TButton* button : {&ButtonDalej, &ButtonWykonaj, &Button1}) button->SetDefault(true);
    ButtonWstecz.SetEnabled(false);

    Label5.SetAlignment(taCenter);
    Label5.SetWordWrap(true);
    Label5.SetFont(TFont{"Tahoma", 17, true, clMaroon});
    LabelConfigFile.SetAlignment(taCenter);
    LabelConfigFile.SetWordWrap(true);
    LabelConfigFile.SetTransparent(false);
    LabelConfigFile.SetColor(clOlive);

    const std::pair<TDBEdit*, const char*> dbEdits[] = {
        {&DBEdit1, "ADDR_ADDR_PROT"}, {&DBEdit2, "ADDR_ADDR_HOST"}, {&DBEdit3, "ADDR_ADDR_PORT"}, {&DBEdit4, "CONN_SERV"}};
    for (const auto& [edit, field] : dbEdits) {
        edit->SetDataSource(&DataSource1);
        edit->SetDataField(field);
    }
}
