#pragma once
// Unit2: the wizard's one form. Its design (Design.cpp, HelpTexts.cpp,
// DataComponents.cpp), start, remembered choices and navigation live in this
// folder; the SQL Server, Oracle and apply operations are methods of the same
// class, defined in their own folders.
#include <string>
#include <vector>

#include "base/StringList.h"
#include "engine/Database.h"
#include "engine/Query.h"
#include "ui/ComCtrls.h"
#include "ui/DBClient.h"
#include "ui/DBCtrls.h"
#include "ui/Forms.h"
#include "ui/StdCtrls.h"
#include "wizard/StringField.h"

class TSession;
struct TPlatform;
struct WizardProbe;

class TForm2 : public TForm {
public:
    // Loads the design, then runs FormCreate (its errors go to the error box
    // and the form stays usable). Show() runs FormShow; closing it ends the
    // application when it is the main form, which the first form becomes.
    TForm2(TPlatform& platform, TSession& session, TApplication& application);
    ~TForm2() override;

    // The non-visual components come first so that they outlive the controls
    // bound to them. Engine components of the default session:
    TDatabase Database1;
    TDatabase Database2;
    TDatabase DatabaseOracle;
    TQuery Query1;
    TQuery Query2;
    TStringField Query2USERNAME;

    // The net service table and the link of page 4's data-aware edits.
    TClientDataSet ClientDataSet1;
    TDataSource DataSource1;
    // The table's declared fields; they raise while the table was never created.
    TField& ClientDataSet1Name() const { return ClientDataSet1.FieldByName("Name"); }
    TField& ClientDataSet1ADDR_ADDR_PROT() const { return ClientDataSet1.FieldByName("ADDR_ADDR_PROT"); }
    TField& ClientDataSet1ADDR_ADDR_HOST() const { return ClientDataSet1.FieldByName("ADDR_ADDR_HOST"); }
    TField& ClientDataSet1ADDR_ADDR_PORT() const { return ClientDataSet1.FieldByName("ADDR_ADDR_PORT"); }
    TField& ClientDataSet1CONN_SERV() const { return ClientDataSet1.FieldByName("CONN_SERV"); }

    // Outer pages: the wizard and the status page.
    TPageControl PageControl2;
    TTabSheet TabSheet4;
    TTabSheet TabSheet5;

    // The wizard pages, in index order.
    TPageControl PageControl1;
    TTabSheet TabSheet0;
    TTabSheet TabSheet1;
    TTabSheet TabSheet1Oracle;
    TTabSheet TabSheet2;
    TTabSheet TabSheet2Oracle;
    TTabSheet TabSheet3;
    TTabSheet TabSheet3Oracle;

    // Page 0: server type, version, test copy.
    TLabel Label5;
    TRadioGroup RadioGroupSerwer;
    TRadioGroup RadioGroupWersja;
    TCheckBox CheckBoxKopia;
    TLabel LabelConfigFile;

    // Page 1: ODBC data source.
    TLabel Label1;
    TComboBox ComboBoxNazwaZrodla;
    TMemo Memo1;

    // Page 2: Oracle home.
    TLabel Label6;
    TComboBox ComboBoxOracleHome;
    TLabel Label8;
    TEdit EditBoundle;
    TLabel LabelNLS;
    TEdit EditNLS;
    TLabel Label7;
    TEdit EditFolderHome;
    TMemo Memo6;

    // Page 3: SQL Server and kind of login.
    TLabel Label2;
    TComboBox ComboBoxServer;
    TCheckBox CheckBoxWindows;
    TMemo Memo2;
    TCheckBox CheckBoxDMO;

    // Page 4: net service entry.
    TLabel Label9;
    TComboBox ComboBoxOracleServer;
    TLabel Label10;
    TDBEdit DBEdit1;
    TLabel Label11;
    TDBEdit DBEdit2;
    TLabel Label12;
    TDBEdit DBEdit3;
    TLabel Label13;
    TDBEdit DBEdit4;
    TMemo Memo5;

    // Page 5: database names.
    TLabel Label3;
    TComboBox ComboBoxBaza;
    TLabel Label4;
    TComboBox ComboBoxBazaLiczniki;
    TMemo Memo3;

    // Page 6: schema users.
    TGroupBox GroupBox1;
    TLabel Label14;
    TComboBox ComboBoxUserOchrona;
    TLabel Label15;
    TComboBox ComboBoxUserRN;
    TLabel Label16;
    TComboBox ComboBoxUserLiczniki;
    TMemo Memo4;

    // Button row under the wizard pages.
    TButton ButtonWstecz;
    TButton ButtonDalej;
    TButton ButtonWykonaj;

    // Status page.
    TMemo MemoStatus;
    TButton Button1;

    // Start and page 0.
    void FormCreate(TObject& Sender);
    void FormShow(TObject& Sender);
    void TabSheet0Show(TObject& Sender);
    void RadioGroupSerwerClick(TObject& Sender);
    void RadioGroupWersjaClick(TObject& Sender);
    void Button1Click(TObject& Sender);

    // Navigation.
    void UpdateNavigationButtons();
    void ButtonDalejClick(TObject& Sender);
    void ButtonWsteczClick(TObject& Sender);

    // Handlers of the SQL Server, Oracle and apply subsystems, defined in
    // their folders; each is bound in the design once its subsystem is built.
    void TabSheet1Show(TObject& Sender);
    void TabSheet2Show(TObject& Sender);
    void ComboBoxServerDropDown(TObject& Sender);
    void ComboBoxBazaDropDown(TObject& Sender);
    void TabSheet1OracleShow(TObject& Sender);
    void ComboBoxOracleHomeChange(TObject& Sender);
    void TabSheet2OracleShow(TObject& Sender);
    void ComboBoxOracleServerChange(TObject& Sender);
    void ClientDataSet1NewRecord(TObject& Sender);
    void ClientDataSet1AfterEdit(TObject& Sender);
    void ComboBoxUserDropDown(TObject& Sender);
    void DBEditChange(TObject& Sender);
    void ButtonWykonajClick(TObject& Sender);

    // The Oracle operations the page and the apply call.
    void ParseServiceEntries(const std::vector<std::string>& entryTexts);
    void CheckNetServiceEntry();
    void UpdateSqlNetFile();
    void SaveNetServiceEntry();

    // ODBC data sources of the "SQL Native Client" driver.
    void SetupOdbcDataSource(const std::string& name, const std::string& server, bool windowsLogin);
    bool CreateTempDataSource(const std::string& name, const std::string& server, bool windowsLogin);
    void RemoveOdbcDataSource(const std::string& name);
    void ListOdbcDataSources();

    // The alias writer; `existingAliases` are the names the engine reported
    // at the start of the apply.
    void WriteAlias(const std::string& name, const TStringList& existingAliases, TDatabase& database);
    void AddNetAlias(const TStringList& existingAliases);

    // SQL Server discovery for page 3's server list.
    void BrowseSqlServers(TStrings& list);
    void EnumSqlServers(TStrings& list);
    void AddServerInstances(const std::string& machine, TStrings& list);

private:
    friend struct WizardProbe;  // the suites read the state below

    using THandler = void (TForm2::*)(TObject&);

    void LoadDesign();
    void LoadPages();
    void LoadHelpTexts();
    void LoadDataComponents();
    void BindEvents();
    // A page's show handler catches its own errors: the error box shows
    // them and the page becomes current all the same.
    void BindPageShow(TTabSheet& page, THandler handler);

    // The two branches of the apply, after the common opening steps.
    void ApplySqlServer(const TStringList& existingAliases);
    void ApplyOracle(const TStringList& existingAliases);

    TPlatform& Platform;
    TSession& Session;

    std::string AliasPrefix;
    std::string NetAdminDir;
    TStringList TnsNamesLines;
    bool ServiceTableEdited = false;
    // TnsNamesLines hold the names file as it was read (or there was none).
    bool TnsNamesRead = false;
};
