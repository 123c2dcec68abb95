#include "unattended/CommandLine.h"

#include "base/Text.h"

const char* const UsageText =
    "Użycie:\n"
    "  KonfiguracjaBDE.exe\n"
    "      kreator w oknie.\n"
    "  KonfiguracjaBDE.exe /record PLIK\n"
    "      kreator w oknie; po udanym \"Wykonaj\" odpowiedzi zapisane w PLIKU.\n"
    "  KonfiguracjaBDE.exe /silent PLIK [/log DZIENNIK]\n"
    "      bez okna, odpowiedzi z PLIKU; dziennik domyślnie KonfiguracjaBDE.log obok PLIKU.\n"
    "\n"
    "Kody wyjścia: 0 konfiguracja zapisana, 1 przerwana błędem,\n"
    "2 błędny wiersz poleceń albo plik odpowiedzi (nic nie zapisano).";

namespace {
bool IsSwitch(const std::string& argument, const char* name) {
    return argument.size() > 1 && (argument[0] == '/' || argument[0] == '-') && SameText(argument.substr(1), name);
}
}  // namespace

std::string DefaultLogPath(const std::string& answerFile) {
    const auto slash = answerFile.find_last_of("\\/:");
    return (slash == std::string::npos ? std::string() : answerFile.substr(0, slash + 1)) + "KonfiguracjaBDE.log";
}

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    TCommandLine command;
    std::string silent, record;
    for (std::size_t i = 0; i < arguments.size() && command.Error.empty(); ++i) {
        const std::string& argument = arguments[i];
        if (IsSwitch(argument, "?")) return TCommandLine{TCommandLine::Usage, "", "", ""};
        struct TFileSwitch {
            const char* Name;
            std::string& File;
        };
        const TFileSwitch switches[] = {{"silent", silent}, {"record", record}, {"log", command.LogFile}};
        bool known = false;
        for (const TFileSwitch& s : switches) {
            if (!IsSwitch(argument, s.Name)) continue;
            known = true;
            if (!s.File.empty())
                command.Error = "Przełącznik " + argument + " podano dwa razy";
            else if (i + 1 >= arguments.size() || arguments[i + 1].empty())
                command.Error = "Po przełączniku " + argument + " brak nazwy pliku";
            else
                s.File = arguments[++i];
        }
        if (!known) command.Error = "Nieznany argument \"" + argument + "\"";
    }
    if (command.Error.empty() && !silent.empty() && !record.empty())
        command.Error = "Przełączników /silent i /record nie można użyć razem";
    if (command.Error.empty() && !command.LogFile.empty() && silent.empty())
        command.Error = "Przełącznik /log służy tylko z /silent";

    command.AnswerFile = silent.empty() ? record : silent;
    if (command.LogFile.empty() && !silent.empty()) command.LogFile = DefaultLogPath(silent);
    if (!command.Error.empty()) {
        command.Error += ". Użycie: KonfiguracjaBDE.exe /?";
        command.Mode = TCommandLine::Wrong;
    } else {
        command.Mode = silent.empty() ? TCommandLine::Window : TCommandLine::Silent;
    }
    return command;
}
