// The answer file of unattended runs: every fault names the file, the line
// and the key; a good file reads into normalised values, and what the
// writer makes of them reads back the same.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/Exception.h"
#include "platform/Text.h"
#include "unattended/AnswerFile.h"
#include "unattended/CommandLine.h"

namespace {

const std::string Mssql = "[Konfiguracja]\nSerwer=MSSQL\nWersja=10\n[MSSQL]\nNazwaSerwera=S\\I\nNazwaBazy=Rondel\n";
const std::string Oracle = "[Konfiguracja]\nSerwer=Oracle\nWersja=9\n[Oracle]\nNazwaOracleHome=H\nNazwaSerwisu=XE\n";
const std::string At = "Plik odpowiedzi \"C:\\a.ini\", wiersz ";

struct AnswerCase {
    const char* Name;
    std::string Bytes;
    std::string Error;  // empty: the file is good
    std::vector<std::pair<TAnswer, std::string>> Values = {};
};

// clang-format off
const AnswerCase Cases[] = {
    {"AnsiWithPolishLettersAndTheRadioCaptions",
     Utf8ToCp1250("; uwagi\r\n[konfiguracja]\r\n  serwer = Microsoft SQL Server \r\nWersja=10 (X)\r\nBazaTestowa=1\r\n"
                  "# inne\r\n[MSSQL]\r\nNazwaSerwera=SERWER\\ŁÓDŹ\r\nNazwaBazy=Baza żółć\r\nNazwaBazyLiczniki=\r\n"),
     "",
     {{TAnswer::Serwer, "MSSQL"}, {TAnswer::Wersja, "10"}, {TAnswer::BazaTestowa, "tak"},
      {TAnswer::NazwaSerwera, "SERWER\\ŁÓDŹ"}, {TAnswer::NazwaBazy, "Baza żółć"}, {TAnswer::NazwaBazyLiczniki, ""}}},
    {"Utf8WithQuotedBlanksAndTheOtherSectionChecked",
     "\xEF\xBB\xBF" + Oracle + "SchematRondel=\" VELTRA_RN \"\nPortSerwera=1522\n[MSSQL]\nNazwaBazy=Ω\n", "",
     {{TAnswer::Wersja, "9"}, {TAnswer::SchematRondel, " VELTRA_RN "}, {TAnswer::PortSerwera, "1522"},
      {TAnswer::NazwaBazy, "Ω"}}},
    {"UnknownSection", Mssql + "[Inne]\n",
     At + "7, klucz \"[Inne]\": nieznana sekcja; dozwolone: [Konfiguracja], [MSSQL], [Oracle]"},
    {"UnknownKey", Mssql + "Haslo=tajne\n", At + "7, klucz \"Haslo\": nieznany klucz w sekcji [MSSQL]"},
    {"RepeatedKey", Mssql + "nazwabazy=Inna\n",
     At + "7, klucz \"nazwabazy\": klucz powtórzony (pierwszy raz w wierszu 6)"},
    {"RepeatedSection", Mssql + "[mssql]\n", At + "7, klucz \"[mssql]\": sekcja powtórzona"},
    {"EntryBeforeAnySection", "Serwer=MSSQL\n", At + "1, klucz \"Serwer\": wpis przed pierwszą sekcją"},
    {"NeitherSectionNorEntry", Mssql + "NazwaBazy\n",
     At + "7: wiersz nie jest ani nagłówkiem [sekcji], ani wpisem klucz=wartość"},
    {"UnclosedSectionHeader", "[MSSQL\n", At + "1: nagłówek sekcji bez zamykającego \"]\""},
    {"VersionOfTheWrongForm", "[Konfiguracja]\nSerwer=MSSQL\nWersja=11\n",
     At + "3, klucz \"Wersja\": niepoprawna wartość \"11\"; dozwolone: 9, 10"},
    {"YesNoOfTheWrongForm", Mssql + "LogowanieWindows=yes\n",
     At + "7, klucz \"LogowanieWindows\": niepoprawna wartość \"yes\"; dozwolone: tak, nie"},
    {"PortOutOfRange", Oracle + "PortSerwera=65536\n",
     At + "7, klucz \"PortSerwera\": niepoprawny port \"65536\"; dozwolona liczba od 1 do 65535"},
    {"DataSourceNameBeyondTheField", Mssql + "NazwaZrodlaDanych=" + std::string(32, 'x') + "ż\n",
     At + "7, klucz \"NazwaZrodlaDanych\": wartość dłuższa niż 32 znaków"},
    {"TabInsideAValue", Mssql + "NazwaBazyLiczniki=a\tb\n",
     At + "7, klucz \"NazwaBazyLiczniki\": wartość zawiera znak sterujący"},
    {"RequiredValueEmpty", "[Konfiguracja]\nSerwer=Oracle\nWersja=9\n[Oracle]\nNazwaOracleHome=H\nNazwaSerwisu=\n",
     At + "6, klucz \"NazwaSerwisu\": brak wymaganej wartości"},
    {"RequiredValueMissing", "[Konfiguracja]\nSerwer=MSSQL\nWersja=10\n\n[MSSQL]\nNazwaBazy=Rondel\n",
     At + "5, klucz \"NazwaSerwera\": brak wymaganej wartości w sekcji [MSSQL]"},
    {"SectionOfTheChosenServerMissing", "[Konfiguracja]\nSerwer=MSSQL\nWersja=10\n",
     "Plik odpowiedzi \"C:\\a.ini\", klucz \"NazwaSerwera\": brak sekcji [MSSQL] z wymaganą wartością"},
    {"ServerTypeMissing", "[Konfiguracja]\nWersja=10\n",
     At + "1, klucz \"Serwer\": brak wymaganej wartości w sekcji [Konfiguracja]"},
    {"OracleHomeByNameAndFolder", Oracle + "FolderOracleHome=C:\\o\n",
     At + "7, klucz \"FolderOracleHome\": podano już NazwaOracleHome; Oracle Home wskazuje jeden z tych dwóch kluczy"},
    {"OracleHomeNotNamed", "[Konfiguracja]\nSerwer=Oracle\nWersja=9\n[Oracle]\nNazwaSerwisu=XE\n",
     At + "4, klucz \"NazwaOracleHome\": brak wymaganej wartości: Oracle Home wskazuje NazwaOracleHome albo "
          "FolderOracleHome"},
    {"Utf16", std::string("\xFF\xFE[\0K\0", 6),
     "Plik odpowiedzi \"C:\\a.ini\": plik zapisano w UTF-16; zapisz go w ANSI albo w UTF-8 ze znacznikiem BOM"},
    {"NotUtf8AfterTheMark", "\xEF\xBB\xBF" + Mssql + "NazwaBazyLiczniki=\xB3\xF3\n",
     At + "7: wiersz nie jest tekstem UTF-8"},
};
// clang-format on

class AnswerFile : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerFile, ReadsOrNamesTheFault) {
    const AnswerCase& c = GetParam();
    try {
        const TAnswers answers = ReadAnswerFile(c.Bytes, "C:\\a.ini");
        ASSERT_EQ(c.Error, "") << "read without a fault";
        for (const auto& [answer, value] : c.Values) EXPECT_EQ(answers.Value(answer), value) << KeyName(answer);
        // What /record writes replays into the same values, the other section left out.
        const TAnswers again = ReadAnswerFile(WriteAnswerFile(answers, "zapis"), "C:\\b.ini");
        for (const auto& [answer, value] : c.Values) {
            if (SectionOf(answer) == std::string(answers.SqlServer() ? SectionOracle : SectionMssql)) continue;
            EXPECT_EQ(again.Value(answer), value) << KeyName(answer);
        }
        EXPECT_FALSE(again.Value(answers.SqlServer() ? TAnswer::NazwaSerwisu : TAnswer::NazwaBazy));
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), c.Error);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, AnswerFile, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.Name); });

TEST(CommandLine, ModesFilesAndRefusals) {
    using Args = std::vector<std::string>;
    const std::pair<Args, TCommandLine> cases[] = {
        {{}, {TCommandLine::Window, "", "", ""}},
        {{"/record", "C:\\o.ini"}, {TCommandLine::Window, "C:\\o.ini", "", ""}},
        {{"-SILENT", "C:\\x\\o.ini"}, {TCommandLine::Silent, "C:\\x\\o.ini", "C:\\x\\KonfiguracjaBDE.log", ""}},
        {{"/silent", "o.ini", "/Log", "D:\\l.txt"}, {TCommandLine::Silent, "o.ini", "D:\\l.txt", ""}},
        {{"/silent", "o.ini", "/?"}, {TCommandLine::Usage, "", "", ""}},
        {{"/silent", "C:\\o.ini", "/cichy"},
         {TCommandLine::Wrong, "C:\\o.ini", "C:\\KonfiguracjaBDE.log", "Nieznany argument \"/cichy\""}},
        {{"/silent"}, {TCommandLine::Wrong, "", "", "Po przełączniku /silent brak nazwy pliku"}},
        {{"/record", "a", "/log", "b"}, {TCommandLine::Wrong, "a", "b", "Przełącznik /log służy tylko z /silent"}},
        {{"/silent", "a", "/record", "b"},
         {TCommandLine::Wrong, "a", "KonfiguracjaBDE.log", "Przełączników /silent i /record nie można użyć razem"}},
    };
    for (const auto& [arguments, expected] : cases) {
        const TCommandLine got = ParseCommandLine(arguments);
        const std::string error = expected.Error.empty() ? "" : expected.Error + ". Użycie: KonfiguracjaBDE.exe /?";
        EXPECT_EQ(std::tie(got.Mode, got.AnswerFile, got.LogFile, got.Error),
                  std::tie(expected.Mode, expected.AnswerFile, expected.LogFile, error))
            << ::testing::PrintToString(arguments);
    }
}

}  // namespace
