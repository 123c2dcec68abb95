#pragma once
// A workstation of fakes for the wizard suites: registry, files, loader, the
// engine session on them, the application object with a recording error box,
// and the message loop's rule that an error escaping a user action is shown.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/Session.h"
#include "fakes/DlLoader.h"
#include "fakes/FakeDiscovery.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeRegistry.h"
#include "fakes/RecordingViews.h"
#include "platform/Platform.h"
#include "shared/Expected.h"
#include "ui/Forms.h"
#include "wizard/Unit2.h"

// The form's private state, for assertions.
struct WizardProbe {
    static const std::string& AliasPrefix(const TForm2& form) { return form.AliasPrefix; }
    static std::string& NetAdminDir(TForm2& form) { return form.NetAdminDir; }
    static TStringList& TnsNamesLines(TForm2& form) { return form.TnsNamesLines; }
    static bool ServiceTableEdited(const TForm2& form) { return form.ServiceTableEdited; }
};

// From page 0 to the database page of the SQL Server path, filled in as a
// user would: server SERWER\\SQL, the SQL Server login, databases Rondel
// and RondelLiczniki.
void FillSqlServerPages(TForm2& form);

// From page 0 to the schema page of the Oracle path, a new service
// NOWY.SERWIS at db.example:1522, service RONDEL, typed in on the way.
void FillOraclePages(TForm2& form);

class WizardWorkstation {
public:
    static constexpr const char* EngineKey = expected::EngineKey.Path;
    static constexpr const char* SettingsKey = expected::SettingsKey.Path;
    static constexpr const char* ConfigFile = "C:\\Program Files\\Common Files\\Borland Shared\\BDE\\IDAPI32.CFG";
    static constexpr const char* Title = "Konfiguracja BDE";

    // The engine is registered; the settings key does not exist yet.
    WizardWorkstation();

    FakeRegistryFactory Registry;
    FakeFileSystem Files;
    DlLoader Loader;
    FakeOdbcBrowser OdbcBrowser;
    FakeServerEnumerator ServerEnumerator;
    FakeServiceManager ServiceManager;
    TPlatform Platform{Registry, Files, Loader, OdbcBrowser, ServerEnumerator, ServiceManager};
    TSession Session{Registry, Files, Loader};
    TRecordingMessageBox ErrorBox;
    TApplication Application;

    // Remembered choices as an earlier run left them.
    void StoreChoice(const std::string& name, std::int32_t value);

    // Creates the form (FormCreate runs) and shows it (FormShow runs).
    TForm2& Open();
    TForm2& Form() { return *form_; }

    // A user action run as the message loop runs it: an error that escapes
    // goes to the application's error box.
    void User(const std::function<void()>& action);

    // The texts the error box showed, in order; Clear forgets them.
    std::vector<std::string> Errors() const;
    void ClearErrors() { ErrorBox.Shown.clear(); }

private:
    std::unique_ptr<TForm2> form_;
};
