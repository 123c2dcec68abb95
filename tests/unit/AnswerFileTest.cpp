// The answer file of unattended runs: every fault names the file, the line
// and the key; a good file reads into normalised values, and what the
// writer makes of them reads back the same.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/Exception.h"
#include "base/Text.h"
#include "unattended/AnswerFile.h"

namespace {

const std::string Mssql = "[Konfiguracja]\nSerwer=MSSQL\nWersja=10\n[MSSQL]\nNazwaSerwera=S\\I\nNazwaBazy=Rondel\n";
const std::string Oracle = "[Konfiguracja]\nSerwer=Oracle\nWersja=9\n[Oracle]\nNazwaOracleHome=H\nNazwaSerwisu=XE\n";

struct AnswerCase {
    const char* Name;
    std::string Bytes;
    std::string Error;  // after the file's name; empty: the file is good
    std::vector<std::pair<TAnswer, std::string>> Values = {};
};

const AnswerCase Cases[] = {
    {"AnsiWithPolishLettersAndTheRadioCaptions",
     Utf8ToCp1250("; uwagi\r\n[konfiguracja]\r\n  serwer = Microsoft SQL Server \r\nWersja=10 (X)\r\nBazaTestowa=1\r\n"
                  "# inne\r\n[MSSQL]\r\nNazwaSerwera=SERWER\\ŁÓDŹ\r\nNazwaBazy=Baza żółć\r\nNazwaBazyLiczniki=\r\n"), "",
     {{TAnswer::Serwer, "MSSQL"}, {TAnswer::Wersja, "10"}, {TAnswer::BazaTestowa, "tak"},
      {TAnswer::NazwaSerwera, "SERWER\\ŁÓDŹ"}, {TAnswer::NazwaBazy, "Baza żółć"}, {TAnswer::NazwaBazyLiczniki, ""}}},
    {"Utf8WithQuotedBlanksAndTheOtherSectionChecked",
     "\xEF\xBB\xBF" + Oracle + "SchematRondel=\" VELTRA_RN \"\nPortSerwera=1522\n[MSSQL]\nNazwaBazy=Ω\n", "",
     {{TAnswer::SchematRondel, " VELTRA_RN "}, {TAnswer::PortSerwera, "1522"}, {TAnswer::NazwaBazy, "Ω"}}},
    {"PortOutOfRange", Oracle + "PortSerwera=65536\n",
     ", wiersz 7, klucz \"PortSerwera\": niepoprawny port \"65536\"; dozwolona liczba od 1 do 65535"},
    {"DataSourceNameBeyondTheField", Mssql + "NazwaZrodlaDanych=" + std::string(32, 'x') + "ż\n",
     ", wiersz 7, klucz \"NazwaZrodlaDanych\": wartość dłuższa niż 32 znaków"},
    {"RequiredValueEmpty", Mssql + "[Oracle]\nNazwaSerwisu=\n", ", wiersz 8, klucz \"NazwaSerwisu\": brak wymaganej wartości"},
    {"RequiredValueMissing", "[Konfiguracja]\nSerwer=MSSQL\nWersja=10\n\n[MSSQL]\nNazwaBazy=Rondel\n",
     ", wiersz 5, klucz \"NazwaSerwera\": brak wymaganej wartości w sekcji [MSSQL]"},
    {"SectionOfTheChosenServerMissing", "[Konfiguracja]\nSerwer=MSSQL\nWersja=10\n",
     ", klucz \"NazwaSerwera\": brak sekcji [MSSQL] z wymaganą wartością"},
    {"OracleHomeByNameAndFolder", Oracle + "FolderOracleHome=C:\\o\n",
     ", wiersz 7, klucz \"FolderOracleHome\": podano już NazwaOracleHome; Oracle Home wskazuje jeden z tych dwóch kluczy"},
    {"Utf16", std::string("\xFF\xFE[\0K\0", 6), ": plik zapisano w UTF-16; zapisz go w ANSI albo w UTF-8 ze znacznikiem BOM"},
    {"NotUtf8AfterTheMark", "\xEF\xBB\xBF" + Mssql + "NazwaBazyLiczniki=\xB3\xF3\n", ", wiersz 7: wiersz nie jest tekstem UTF-8"},
};

class AnswerFile : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(AnswerFile, ReadsOrNamesTheFault) {
    const AnswerCase& c = GetParam();
    try {
        const TAnswers answers = ReadAnswerFile(c.Bytes, "C:\\a.ini");
        ASSERT_EQ(c.Error, "") << "read without a fault";
        // What /record writes replays into the same values, the other section left out.
        const TAnswers again = ReadAnswerFile(WriteAnswerFile(answers, "zapis"), "C:\\b.ini");
        const std::string other = answers.SqlServer() ? SectionOracle : SectionMssql;
        for (const auto& [answer, value] : c.Values) {
            EXPECT_EQ(answers.Value(answer), value) << KeyName(answer);
            EXPECT_EQ(again.Value(answer), SectionOf(answer) == other ? std::nullopt : answers.Value(answer));
        }
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Plik odpowiedzi \"C:\\a.ini\"" + c.Error);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, AnswerFile, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.Name); });

}  // namespace
