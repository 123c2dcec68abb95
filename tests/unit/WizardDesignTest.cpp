// The form's design: window, page structure, layout rules, Tab order, the
// designed looks, the help texts and the non-visual components.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "base/Exception.h"
#include "fakes/ScriptDriver.h"
#include "fakes/WizardHarness.h"
#include "shared/Expected.h"

namespace {

using Strings = std::vector<std::string>;

// Every control below `root`, depth first in creation order.
std::vector<TControl*> AllControls(TWinControl& root) {
    std::vector<TControl*> result;
    for (TControl* child : root.Children()) {
        result.push_back(child);
        if (auto* container = dynamic_cast<TWinControl*>(child)) {
            auto inner = AllControls(*container);
            result.insert(result.end(), inner.begin(), inner.end());
        }
    }
    return result;
}

// Names of the Tab stops of a container, in Tab order.
Strings TabSequence(const TWinControl& container) {
    std::map<int, std::string> byOrder;
    for (TControl* c : container.Children())
        if (c->TabOrder() >= 0) byOrder[c->TabOrder()] = c->Name();
    Strings names;
    for (const auto& entry : byOrder) names.push_back(entry.second);
    return names;
}

Strings SheetNames(const ::TPageControl& pages) {
    Strings names;
    for (int i = 0; i < pages.PageCount(); ++i) names.push_back(pages.Pages(i).Name());
    return names;
}

class WizardDesignTest : public ::testing::Test {
protected:
    WizardWorkstation ws;
    TForm2& form = ws.Open();
};

TEST_F(WizardDesignTest, WindowPageStructureAndTabOrder) {
    EXPECT_EQ(form.Name(), "Form2");
    EXPECT_EQ(form.Caption(), "Konfiguracja BDE");
    EXPECT_EQ(form.ClientWidth(), 596);
    EXPECT_EQ(form.ClientHeight(), 336);
    EXPECT_EQ(form.Color(), clWindow);
    EXPECT_EQ(form.Font(), (TFont{"Tahoma", 12, false, clWindowText}));

    EXPECT_EQ(form.PageControl2.Parent(), &form);
    EXPECT_EQ(form.PageControl2.Align(), alClient);
    EXPECT_EQ(SheetNames(form.PageControl2), (Strings{"TabSheet4", "TabSheet5"}));

    EXPECT_EQ(form.PageControl1.Parent(), &form.TabSheet4);
    EXPECT_EQ(form.PageControl1.Align(), alTop);
    EXPECT_EQ(form.PageControl1.Top(), 0);
    EXPECT_EQ(form.PageControl1.Height(), 264);
    EXPECT_EQ(form.PageControl1.Width(), form.TabSheet4.ClientWidth());
    EXPECT_EQ(SheetNames(form.PageControl1), (Strings{"TabSheet0", "TabSheet1", "TabSheet1Oracle", "TabSheet2",
                                                      "TabSheet2Oracle", "TabSheet3", "TabSheet3Oracle"}));

    // The captions are the pages' own names.
    for (const ::TPageControl* pages : {&form.PageControl1, &form.PageControl2})
        for (int i = 0; i < pages->PageCount(); ++i) EXPECT_EQ(pages->Pages(i).Caption(), pages->Pages(i).Name());

    EXPECT_EQ(TabSequence(form.TabSheet0), (Strings{"RadioGroupWersja", "RadioGroupSerwer", "CheckBoxKopia"}));
    EXPECT_EQ(TabSequence(form.TabSheet4), (Strings{"PageControl1", "ButtonWstecz", "ButtonDalej", "ButtonWykonaj"}));
    EXPECT_EQ(TabSequence(form.TabSheet5), (Strings{"MemoStatus", "Button1"}));
    EXPECT_EQ(TabSequence(form.TabSheet3Oracle), (Strings{"GroupBox1", "Memo4"}));
    EXPECT_EQ(TabSequence(form.GroupBox1),
              (Strings{"ComboBoxUserOchrona", "ComboBoxUserRN", "ComboBoxUserLiczniki"}));
}

// Every control is named once and fits its parent without overlap. Every
// container numbers its Tab stops 0, 1, 2... Labels are never reached by
// Tab, everything the user can operate is.
TEST_F(WizardDesignTest, LayoutAndTabRulesHoldInEveryContainer) {
    std::vector<TControl*> all = AllControls(form);
    std::set<std::string> names;
    for (TControl* c : all) {
        EXPECT_FALSE(c->Name().empty());
        EXPECT_TRUE(names.insert(c->Name()).second) << c->Name() << " twice";
    }
    all.push_back(&form);
    for (TControl* control : all) {
        auto* parent = dynamic_cast<TWinControl*>(control);
        if (!parent) continue;
        std::vector<TControl*> placed;
        std::vector<int> orders;
        for (TControl* c : parent->Children()) {
            if (dynamic_cast<TTabSheet*>(c)) continue;  // pages share their control's area
            EXPECT_GE(c->Left(), 0) << c->Name();
            EXPECT_GE(c->Top(), 0) << c->Name();
            EXPECT_LE(c->Left() + c->Width(), parent->ClientWidth()) << c->Name() << " in " << parent->Name();
            EXPECT_LE(c->Top() + c->Height(), parent->ClientHeight()) << c->Name() << " in " << parent->Name();
            for (TControl* other : placed) {
                const bool apart = c->Left() >= other->Left() + other->Width() ||
                                   other->Left() >= c->Left() + c->Width() ||
                                   c->Top() >= other->Top() + other->Height() ||
                                   other->Top() >= c->Top() + c->Height();
                EXPECT_TRUE(apart) << c->Name() << " overlaps " << other->Name();
            }
            placed.push_back(c);
            const bool label = dynamic_cast<TLabel*>(c) != nullptr;
            EXPECT_EQ(c->TabOrder() >= 0, !label) << c->Name();
            EXPECT_EQ(c->TabStop(), !label && !dynamic_cast<TWinControl*>(c)) << c->Name();
            if (!label) orders.push_back(c->TabOrder());
        }
        std::sort(orders.begin(), orders.end());
        for (std::size_t i = 0; i < orders.size(); ++i) EXPECT_EQ(orders[i], static_cast<int>(i)) << parent->Name();
    }
}

TEST_F(WizardDesignTest, DesignedLooks) {
    const TFont regular{"Tahoma", 12, false, clWindowText};
    EXPECT_EQ(form.Label5.Font(), (TFont{"Tahoma", 17, true, clMaroon}));
    EXPECT_EQ(form.Label5.Alignment(), taCenter);
    EXPECT_TRUE(form.Label5.WordWrap());
    for (TControl* c : AllControls(form)) {
        if (c == &form.Label5) continue;
        EXPECT_EQ(c->Font(), regular) << c->Name();
    }

    EXPECT_FALSE(form.LabelConfigFile.Transparent());
    EXPECT_EQ(form.LabelConfigFile.Color(), clOlive);
    EXPECT_EQ(form.LabelConfigFile.Alignment(), taCenter);
    EXPECT_TRUE(form.LabelConfigFile.WordWrap());

    for (const TEdit* edit : {&form.EditBoundle, &form.EditNLS, &form.EditFolderHome}) {
        EXPECT_TRUE(edit->ReadOnly()) << edit->Name();
        EXPECT_EQ(edit->Color(), clBtnFace) << edit->Name();
    }
    EXPECT_EQ(form.Memo6.Color(), clBtnFace);
    for (const TMemo* memo : {&form.Memo1, &form.Memo2, &form.Memo3, &form.Memo4, &form.Memo5, &form.Memo6,
                              &form.MemoStatus})
        EXPECT_TRUE(memo->ReadOnly()) << memo->Name();

    EXPECT_EQ(form.RadioGroupSerwer.Items()[0], "Microsoft SQL Server");
    EXPECT_EQ(form.RadioGroupWersja.Items()[1], "10 (X)");
    EXPECT_FALSE(form.CheckBoxDMO.Visible());
    EXPECT_TRUE(form.CheckBoxDMO.Checked());
    EXPECT_TRUE(form.CheckBoxWindows.Checked());
    EXPECT_EQ(form.CheckBoxWindows.Alignment(), taLeftJustify);
    EXPECT_EQ(form.CheckBoxKopia.Alignment(), taRightJustify);

    EXPECT_EQ(form.MemoStatus.Align(), alTop);
    EXPECT_EQ(form.MemoStatus.Width(), 588);
    EXPECT_EQ(form.MemoStatus.Height(), 272);
    EXPECT_EQ(form.MemoStatus.Lines().Count(), 0);

    for (const TButton* b : {&form.ButtonDalej, &form.ButtonWykonaj, &form.Button1})
        EXPECT_TRUE(b->Default()) << b->Name();
    EXPECT_FALSE(form.ButtonWstecz.Default());
}

TEST_F(WizardDesignTest, EditableBoxesStartWithTheirTextsAndLimits) {
    // Lists that the user reads by name are sorted; server and schema lists
    // keep the order they are found in. The Oracle home is picked, never typed.
    Strings boxes;
    for (const TComboBox* box : {&form.ComboBoxNazwaZrodla, &form.ComboBoxOracleHome, &form.ComboBoxServer,
                                 &form.ComboBoxOracleServer, &form.ComboBoxBaza, &form.ComboBoxBazaLiczniki,
                                 &form.ComboBoxUserOchrona, &form.ComboBoxUserRN, &form.ComboBoxUserLiczniki})
        boxes.push_back(box->Name() + " '" + box->Text() + "'" + (box->Sorted() ? " sorted" : "") +
                        (box->Style() == csDropDownList ? " pick" : ""));
    EXPECT_EQ(boxes, (Strings{"ComboBoxNazwaZrodla 'MSSQL Veltra RN' sorted", "ComboBoxOracleHome '' sorted pick",
                              "ComboBoxServer ''", "ComboBoxOracleServer 'xe.serwer' sorted", "ComboBoxBaza '' sorted",
                              "ComboBoxBazaLiczniki '' sorted", "ComboBoxUserOchrona 'VELTRA_OCHRONA'",
                              "ComboBoxUserRN 'VELTRA_RN'", "ComboBoxUserLiczniki ''"}));

    // A data source name takes at most 32 characters.
    form.ButtonDalej.Click();
    form.ComboBoxNazwaZrodla.UserType(std::string(40, 'n'));
    EXPECT_EQ(form.ComboBoxNazwaZrodla.Text(), std::string(32, 'n'));
}

TEST_F(WizardDesignTest, HelpTextsAreHardLinesWithTheirTrailingBlanks) {
    Strings counts;
    for (const TMemo* memo : {&form.Memo1, &form.Memo6, &form.Memo2, &form.Memo5, &form.Memo3, &form.Memo4})
        counts.push_back(memo->Name() + " " + std::to_string(memo->Lines().Count()));
    EXPECT_EQ(counts, (Strings{"Memo1 6", "Memo6 2", "Memo2 5", "Memo5 2", "Memo3 9", "Memo4 4"}));
    EXPECT_EQ(form.Memo1.Lines()[0], "Należy wprowadzić nazwę źródła danych ODBC do połaczenia z bazą ");
    EXPECT_EQ(form.Memo1.Lines()[5], "");
    EXPECT_EQ(form.Memo2.Lines()[1], "danych i wybać sposób logowania użytkownika na serwerze.");
    EXPECT_EQ(form.Memo3.Lines()[1], "systemem ");
    EXPECT_EQ(form.Memo3.Lines()[2], "\"Rondel\". ");
    EXPECT_EQ(form.Memo4.Lines()[0],
              "Należy wprowadzić nazwy schematów bazy przygotowanej do użycia z systemem \"Rondel\".");
    EXPECT_EQ(form.Memo4.Lines()[2],
              "Jeśli dane liczników są przechowywane w osobnym shemacie, należy go również wprowadzić.");
    EXPECT_EQ(form.GroupBox1.Caption(), "Nazwy użtkowników schematów");
}

TEST_F(WizardDesignTest, ConnectionTemplates) {
    const TStringList& p1 = form.Database1.Params;
    const TStringList& p2 = form.Database2.Params;
    const TStringList& p3 = form.DatabaseOracle.Params;
    ASSERT_EQ(p1.Lines(), expected::SqlServerParams);
    ASSERT_EQ(p3.Lines(), expected::OracleParams);

    // The database list's parameters are the template's, on "master" and with a password.
    ASSERT_EQ(p2.Count(), 18u);
    EXPECT_EQ(p2[0], "DATABASE NAME=master");
    for (std::size_t i = 1; i < 17; ++i) EXPECT_EQ(p2[i], p1[i]) << i;
    EXPECT_EQ(p2[17], "PASSWORD=");

    // Each name once, every line NAME=VALUE, so setting by name finds the right line.
    for (const TStringList* params : {&p1, &p2, &p3})
        for (std::size_t i = 0; i < params->Count(); ++i) {
            EXPECT_NE((*params)[i].find('='), std::string::npos) << (*params)[i];
            EXPECT_EQ(params->IndexOfName(params->Names(i)), static_cast<int>(i)) << (*params)[i];
        }

    Strings databases;
    for (const TDatabase* db : {&form.Database1, &form.Database2, &form.DatabaseOracle})
        databases.push_back("'" + db->DatabaseName + "' " + db->DriverName);
    EXPECT_EQ(databases, (Strings{"'' SQL Native Client", "'_TmpDatabase' SQL Native Client", "'_Oracle' ORACLE"}));
    EXPECT_EQ(form.Query1.DatabaseName, "_TmpDatabase");
    EXPECT_EQ(form.Query1.SQL.Count(), 3u);
    EXPECT_EQ(form.Query1.SQL[2], "");
}

TEST_F(WizardDesignTest, SchemaQueryRunsOnTheOracleConnectionWithItsCommentSentAsIs) {
    Script script;
    script.columns = {"USERNAME"};
    script.rows = {{"VELTRA_RN"}, {"ŻÓŁW_" + std::string(30, 'X')}};
    ws.Session.SetDriver("ORACLE", std::make_unique<ScriptDriver>(script));

    form.Query2.Open();

    EXPECT_EQ(script.sql, Strings{"select USERNAME from DBA_USERS\n/* where DEFAULT_TABLESPACE= 'USERS'*/\n\n"});
    EXPECT_EQ(script.params, std::vector<TStringList>{form.DatabaseOracle.Params});
    EXPECT_EQ(form.Query2USERNAME.FieldName(), "USERNAME");
    EXPECT_EQ(form.Query2USERNAME.AsString(), "VELTRA_RN");
    form.Query2.Next();
    // The declared width counts characters, not bytes.
    EXPECT_EQ(form.Query2USERNAME.AsString(), "ŻÓŁW_" + std::string(25, 'X'));
    form.Query2.Close();
    EXPECT_THROW(form.Query2USERNAME.AsString(), Exception);
}

TEST_F(WizardDesignTest, ServiceTable) {
    TClientDataSet& table = form.ClientDataSet1;
    EXPECT_EQ(table.Name(), "ClientDataSet1");

    // The declared fields in their order; the key (Name) is proven by the data set's key-violation cases.
    Strings fields;
    for (const TField* f : {&form.ClientDataSet1Name(), &form.ClientDataSet1ADDR_ADDR_PROT(),
                            &form.ClientDataSet1ADDR_ADDR_HOST(), &form.ClientDataSet1ADDR_ADDR_PORT(),
                            &form.ClientDataSet1CONN_SERV()})
        fields.push_back(std::to_string(f->Index()) + " " + f->FieldName() + " " + std::to_string(f->Size()) + " " +
                         f->DisplayLabel() + (f->Required() ? " required" : ""));
    EXPECT_EQ(fields, (Strings{"0 Name 30 Nazwa required", "1 ADDR_ADDR_PROT 10 Protokół required",
                               "2 ADDR_ADDR_HOST 30 Nazwa lub IP serwera required",
                               "3 ADDR_ADDR_PORT 10 Port serwera required", "4 CONN_SERV 20 Nazwa bazy (SID) required"}));
    EXPECT_EQ(&table.FieldByName("CONN_SERV"), &form.ClientDataSet1CONN_SERV());

    // Page 4's edits show the address fields of the current entry.
    EXPECT_EQ(form.DataSource1.DataSet(), &table);
    EXPECT_EQ((std::vector<const TField*>{form.DBEdit1.Field(), form.DBEdit2.Field(), form.DBEdit3.Field(),
                                          form.DBEdit4.Field()}),
              (std::vector<const TField*>{&form.ClientDataSet1ADDR_ADDR_PROT(), &form.ClientDataSet1ADDR_ADDR_HOST(),
                                          &form.ClientDataSet1ADDR_ADDR_PORT(), &form.ClientDataSet1CONN_SERV()}));
}

TEST(WizardDesignWithoutEngineTest, TheDeclaredFieldsRaiseWhileTheTableWasNeverCreated) {
    WizardWorkstation ws;
    ws.Registry.RemoveKey(reg::HKeyLocalMachine, WizardWorkstation::EngineKey);
    TForm2& form = ws.Open();
    EXPECT_THROW(form.ClientDataSet1Name(), Exception);
    EXPECT_EQ(form.DBEdit1.Field(), nullptr);
}

}  // namespace
