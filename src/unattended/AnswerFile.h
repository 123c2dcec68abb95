#pragma once
// The answer file of an unattended run: an INI file whose keys stand for
// what a user would type on the wizard's pages. The reader checks the whole
// file, and the form of every value, before anything runs; the writer gives
// the file that /record leaves.
#include <array>
#include <optional>
#include <string>

enum class TAnswer {
    Serwer,
    Wersja,
    BazaTestowa,
    NazwaZrodlaDanych,
    NazwaSerwera,
    LogowanieWindows,
    NazwaBazy,
    NazwaBazyLiczniki,
    NazwaOracleHome,
    FolderOracleHome,
    NazwaSerwisu,
    Protokol,
    NazwaLubIPSerwera,
    PortSerwera,
    NazwaBazySID,
    SchematOchrona,
    SchematRondel,
    SchematRondelLiczniki,
    Count
};

constexpr const char* SectionKonfiguracja = "Konfiguracja";
constexpr const char* SectionMssql = "MSSQL";
constexpr const char* SectionOracle = "Oracle";

// The normalised values: "MSSQL" or "Oracle"; "9" or "10"; "tak" or "nie";
// any other value as written (its outer double quotes taken off).
class TAnswers {
public:
    const std::optional<std::string>& Value(TAnswer answer) const { return values_[Index(answer)]; }
    void Set(TAnswer answer, std::string value) { values_[Index(answer)] = std::move(value); }
    bool SqlServer() const { return Value(TAnswer::Serwer) == "MSSQL"; }

private:
    static std::size_t Index(TAnswer answer) { return static_cast<std::size_t>(answer); }
    std::array<std::optional<std::string>, static_cast<std::size_t>(TAnswer::Count)> values_;
};

// The key's name in the file and its section.
const char* KeyName(TAnswer answer);
const char* SectionOf(TAnswer answer);

// ANSI code page, or UTF-8 after a byte order mark. Raises Exception naming
// `path`, the line and the key for the first fault found.
TAnswers ReadAnswerFile(const std::string& bytes, const std::string& path);

// UTF-8 with a byte order mark, CR LF: `comment`, [Konfiguracja] and the
// section of the chosen server type, every value that is set.
std::string WriteAnswerFile(const TAnswers& answers, const std::string& comment);
