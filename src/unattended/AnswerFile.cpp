#include "unattended/AnswerFile.h"

#include <string_view>
#include <vector>

#include "base/Exception.h"
#include "base/Text.h"
#include "platform/FileSystem.h"
#include "ui/Utf8.h"

namespace {

enum class TValueForm { ServerType, Version, YesNo, Text, Port };

// Required keys need a non-empty value in [Konfiguracja] and in the section
// of the chosen server type. MaxChars: the width of the field the value goes
// into, which would otherwise cut it without a word (0: no limit).
struct TKey {
    TAnswer Answer;
    const char* Section;
    const char* Name;
    TValueForm Form;
    int MaxChars;
    bool Required;
};

// In the order of the wizard's pages; the names follow the pages' labels.
constexpr TKey Keys[] = {
    {TAnswer::Serwer, SectionKonfiguracja, "Serwer", TValueForm::ServerType, 0, true},
    {TAnswer::Wersja, SectionKonfiguracja, "Wersja", TValueForm::Version, 0, true},
    {TAnswer::BazaTestowa, SectionKonfiguracja, "BazaTestowa", TValueForm::YesNo, 0, false},
    {TAnswer::NazwaZrodlaDanych, SectionMssql, "NazwaZrodlaDanych", TValueForm::Text, 32, false},
    {TAnswer::NazwaSerwera, SectionMssql, "NazwaSerwera", TValueForm::Text, 0, true},
    {TAnswer::LogowanieWindows, SectionMssql, "LogowanieWindows", TValueForm::YesNo, 0, false},
    {TAnswer::NazwaBazy, SectionMssql, "NazwaBazy", TValueForm::Text, 0, true},
    {TAnswer::NazwaBazyLiczniki, SectionMssql, "NazwaBazyLiczniki", TValueForm::Text, 0, false},
    // Exactly one of the two names the home (checked below).
    {TAnswer::NazwaOracleHome, SectionOracle, "NazwaOracleHome", TValueForm::Text, 0, false},
    {TAnswer::FolderOracleHome, SectionOracle, "FolderOracleHome", TValueForm::Text, 0, false},
    {TAnswer::NazwaSerwisu, SectionOracle, "NazwaSerwisu", TValueForm::Text, 30, true},
    {TAnswer::Protokol, SectionOracle, "Protokol", TValueForm::Text, 10, false},
    {TAnswer::NazwaLubIPSerwera, SectionOracle, "NazwaLubIPSerwera", TValueForm::Text, 30, false},
    {TAnswer::PortSerwera, SectionOracle, "PortSerwera", TValueForm::Port, 10, false},
    {TAnswer::NazwaBazySID, SectionOracle, "NazwaBazySID", TValueForm::Text, 20, false},
    {TAnswer::SchematOchrona, SectionOracle, "SchematOchrona", TValueForm::Text, 0, false},
    {TAnswer::SchematRondel, SectionOracle, "SchematRondel", TValueForm::Text, 0, false},
    {TAnswer::SchematRondelLiczniki, SectionOracle, "SchematRondelLiczniki", TValueForm::Text, 0, false},
};
constexpr std::size_t KeyCount = std::size(Keys);
static_assert(KeyCount == static_cast<std::size_t>(TAnswer::Count));

constexpr const char* Sections[] = {SectionKonfiguracja, SectionMssql, SectionOracle};

// What may be written for a choice, and the value it stands for; the
// radio buttons' own captions count too.
struct TChoice {
    TValueForm Form;
    const char* Written;
    const char* Value;
};
constexpr TChoice Choices[] = {
    {TValueForm::ServerType, "MSSQL", "MSSQL"},
    {TValueForm::ServerType, "Microsoft SQL Server", "MSSQL"},
    {TValueForm::ServerType, "Oracle", "Oracle"},
    {TValueForm::ServerType, "Oracle Server", "Oracle"},
    {TValueForm::Version, "9", "9"},
    {TValueForm::Version, "9 (II)", "9"},
    {TValueForm::Version, "10", "10"},
    {TValueForm::Version, "10 (X)", "10"},
    {TValueForm::YesNo, "tak", "tak"},
    {TValueForm::YesNo, "1", "tak"},
    {TValueForm::YesNo, "nie", "nie"},
    {TValueForm::YesNo, "0", "nie"},
};

const TKey& KeyOf(TAnswer answer) { return Keys[static_cast<std::size_t>(answer)]; }

[[noreturn]] void Fail(const std::string& path, int line, const std::string& key, const std::string& message) {
    std::string text = "Plik odpowiedzi \"" + path + "\"";
    if (line > 0) text += ", wiersz " + std::to_string(line);
    if (!key.empty()) text += ", klucz \"" + key + "\"";
    throw Exception(text + ": " + message);
}

bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int more = c < 0x80                ? 0
                         : c >= 0xC2 && c < 0xE0 ? 1
                         : c >= 0xE0 && c < 0xF0 ? 2
                         : c >= 0xF0 && c < 0xF5 ? 3
                                                 : -1;
        if (more < 0 || i + static_cast<std::size_t>(more) >= s.size()) return false;
        for (int k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += static_cast<std::size_t>(more) + 1;
    }
    return true;
}

// Double quotes around the whole value keep its blanks at either end.
std::string Unquote(std::string value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
    return value;
}

// The value's normal form, or the reason it has none.
std::optional<std::string> Normalise(const TKey& key, const std::string& value, std::string& why) {
    const auto refuse = [&why](std::string reason) {
        why = std::move(reason);
        return std::optional<std::string>();
    };
    for (unsigned char c : value)
        if (c < 0x20) return refuse("wartość zawiera znak sterujący");
    if (key.Required && value.empty()) return refuse("brak wymaganej wartości");
    if (key.Form == TValueForm::Text || key.Form == TValueForm::Port) {
        if (LeftChars(value, key.MaxChars) != value)
            return refuse("wartość dłuższa niż " + std::to_string(key.MaxChars) + " znaków");
        const bool digits =
            !value.empty() && value.size() <= 5 && value.find_first_not_of("0123456789") == std::string::npos;
        if (key.Form == TValueForm::Port && !value.empty() &&
            (!digits || std::stoi(value) < 1 || std::stoi(value) > 65535))
            return refuse("niepoprawny port \"" + value + "\"; dozwolona liczba od 1 do 65535");
        return value;
    }
    std::string allowed;
    for (const TChoice& choice : Choices) {
        if (choice.Form != key.Form) continue;
        if (SameText(value, choice.Written)) return std::string(choice.Value);
        if (allowed.find(choice.Value) == std::string::npos)
            allowed += (allowed.empty() ? "" : ", ") + std::string(choice.Value);
    }
    return refuse("niepoprawna wartość \"" + value + "\"; dozwolone: " + allowed);
}

int SectionIndex(std::string_view name) {
    for (int i = 0; i < static_cast<int>(std::size(Sections)); ++i)
        if (SameText(name, Sections[i])) return i;
    return -1;
}

std::string Decode(const std::string& bytes, const std::string& path, bool& utf8) {
    utf8 = bytes.rfind("\xEF\xBB\xBF", 0) == 0;
    if (utf8) return bytes.substr(3);
    if (bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0)
        Fail(path, 0, "", "plik zapisano w UTF-16; zapisz go w ANSI albo w UTF-8 ze znacznikiem BOM");
    return AnsiToUtf8(bytes);
}

}  // namespace

const char* KeyName(TAnswer answer) { return KeyOf(answer).Name; }
const char* SectionOf(TAnswer answer) { return KeyOf(answer).Section; }

TAnswers ReadAnswerFile(const std::string& bytes, const std::string& path) {
    bool utf8 = false;
    const std::vector<std::string> lines = SplitLines(Decode(bytes, path, utf8));
    TAnswers answers;
    int keyLine[KeyCount] = {};
    int sectionLine[std::size(Sections)] = {};
    int section = -1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        if (utf8 && !ValidUtf8(lines[i])) Fail(path, n, "", "wiersz nie jest tekstem UTF-8");
        const std::string line = Trim(lines[i]);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            const std::string name = Trim(line.substr(1, line.size() - (line.back() == ']' ? 2 : 1)));
            if (line.back() != ']') Fail(path, n, "", "nagłówek sekcji bez zamykającego \"]\"");
            section = SectionIndex(name);
            if (section < 0)
                Fail(path, n, "[" + name + "]", "nieznana sekcja; dozwolone: [Konfiguracja], [MSSQL], [Oracle]");
            if (sectionLine[section]) Fail(path, n, "[" + name + "]", "sekcja powtórzona");
            sectionLine[section] = n;
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            Fail(path, n, "", "wiersz nie jest ani nagłówkiem [sekcji], ani wpisem klucz=wartość");
        const std::string name = Trim(line.substr(0, equals));
        if (section < 0) Fail(path, n, name, "wpis przed pierwszą sekcją");
        const TKey* key = nullptr;
        for (const TKey& k : Keys)
            if (k.Section == Sections[section] && SameText(name, k.Name)) key = &k;
        if (!key) Fail(path, n, name, std::string("nieznany klucz w sekcji [") + Sections[section] + "]");
        int& seen = keyLine[static_cast<std::size_t>(key->Answer)];
        if (seen) Fail(path, n, name, "klucz powtórzony (pierwszy raz w wierszu " + std::to_string(seen) + ")");
        std::string why;
        const auto value = Normalise(*key, Unquote(Trim(line.substr(equals + 1))), why);
        if (!value) Fail(path, n, key->Name, why);
        answers.Set(key->Answer, *value);
        seen = n;
    }

    // Absent keys: [Konfiguracja] first, since it chooses the other section.
    for (const char* wanted : {SectionKonfiguracja, answers.SqlServer() ? SectionMssql : SectionOracle}) {
        const int header = sectionLine[SectionIndex(wanted)];
        for (const TKey& key : Keys) {
            if (key.Section != wanted || !key.Required || answers.Value(key.Answer)) continue;
            Fail(path, header, key.Name,
                 header ? std::string("brak wymaganej wartości w sekcji [") + wanted + "]"
                        : std::string("brak sekcji [") + wanted + "] z wymaganą wartością");
        }
    }
    if (!answers.SqlServer()) {
        const bool byName = answers.Value(TAnswer::NazwaOracleHome).value_or("") != "";
        const bool byFolder = answers.Value(TAnswer::FolderOracleHome).value_or("") != "";
        if (byName && byFolder)
            Fail(path, keyLine[static_cast<std::size_t>(TAnswer::FolderOracleHome)], "FolderOracleHome",
                 "podano już NazwaOracleHome; Oracle Home wskazuje jeden z tych dwóch kluczy");
        if (!byName && !byFolder)
            Fail(path, sectionLine[SectionIndex(SectionOracle)], "NazwaOracleHome",
                 "brak wymaganej wartości: Oracle Home wskazuje NazwaOracleHome albo FolderOracleHome");
    }
    return answers;
}

std::string WriteAnswerFile(const TAnswers& answers, const std::string& comment) {
    std::vector<std::string> lines = {"; " + comment};
    const char* section = nullptr;
    for (const TKey& key : Keys) {
        const auto& value = answers.Value(key.Answer);
        const bool chosen =
            key.Section == SectionKonfiguracja || key.Section == (answers.SqlServer() ? SectionMssql : SectionOracle);
        if (!value || !chosen) continue;
        for (unsigned char c : *value)
            if (c < 0x20)
                throw Exception(
                    Format("Nie można zapisać odpowiedzi: wartość klucza %s zawiera znak sterujący", {key.Name}));
        if (key.Section != section) {
            lines.push_back("");
            lines.push_back(std::string("[") + key.Section + "]");
            section = key.Section;
        }
        const bool quoted = *value != Trim(*value) || Unquote(*value) != *value;
        lines.push_back(std::string(key.Name) + "=" + (quoted ? "\"" + *value + "\"" : *value));
    }
    return "\xEF\xBB\xBF" + JoinLinesCrLf(lines);
}
