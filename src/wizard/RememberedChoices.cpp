// Page 0: the remembered server type and version, the alias-name prefix,
// and the status page's OK.
#include <string>

#include "platform/Platform.h"
#include "platform/Registry.h"
#include "wizard/Unit2.h"

namespace {
constexpr const char* EngineKey = "\\SOFTWARE\\Borland\\Database Engine";
constexpr const char* ConfigFileValue = "CONFIGFILE01";
constexpr const char* SettingsKey = "\\software\\Veltra\\Zentor";
constexpr const char* ServerValue = "Server";
constexpr const char* VersionValue = "Wersja";
}  // namespace

// Restoring sets the groups from code, so RadioGroupSerwerClick does not run
// and the stored values stay as they are; the prefix is recomputed by hand.
// A value that cannot be read stops here (the page shows the error) and
// leaves that value and the ones after it unapplied.
void TForm2::TabSheet0Show(TObject&) {
    auto registry = Platform.Registry.CreateAt(reg::HKeyLocalMachine, reg::KeyRead);
    if (registry->OpenKey(EngineKey, false) && registry->ValueExists(ConfigFileValue))
        LabelConfigFile.SetCaption(registry->ReadString(ConfigFileValue));
    registry->CloseKey();

    registry->SetAccess(reg::KeyAllAccess);
    registry->SetRootKey(reg::HKeyCurrentUser);
    if (!registry->OpenKey(SettingsKey, true)) return;
    if (registry->ValueExists(ServerValue)) RadioGroupSerwer.SetItemIndex(registry->ReadInteger(ServerValue));
    if (registry->ValueExists(VersionValue)) {
        RadioGroupWersja.SetItemIndex(registry->ReadInteger(VersionValue));
        RadioGroupWersjaClick(RadioGroupWersja);
    }
}

// Both choices are stored together, and only when the server type changes.
void TForm2::RadioGroupSerwerClick(TObject&) {
    auto registry = Platform.Registry.CreateAt(reg::HKeyCurrentUser, reg::KeyAllAccess);
    if (!registry->OpenKey(SettingsKey, true)) return;
    registry->WriteInteger(ServerValue, RadioGroupSerwer.ItemIndex());
    registry->WriteInteger(VersionValue, RadioGroupWersja.ItemIndex());
}

// "9 (II)" names the old aliases; anything else, no choice included, the new.
void TForm2::RadioGroupWersjaClick(TObject&) {
    const bool copy = CheckBoxKopia.Checked();
    std::string prefix = copy ? "KopiaX" : "X";
    if (RadioGroupWersja.ItemIndex() == 0) prefix = copy ? "Kopia" : "II";
    AliasPrefix = prefix + " ";
}

void TForm2::Button1Click(TObject&) { Close(); }
