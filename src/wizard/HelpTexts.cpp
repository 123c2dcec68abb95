// The help texts of the wizard pages, one hard line per entry; the memos
// wrap longer lines to their width. Trailing blanks are part of the text.
#include "wizard/Unit2.h"

void TForm2::LoadHelpTexts() {
    Memo1.Lines().Assign({
        "Należy wprowadzić nazwę źródła danych ODBC do połaczenia z bazą ",
        "danych.",
        "Istniejące źródła można wybrać z listy rozwijanej.",
        "Jeśli źródło danych o podanej nazwie istnieje, zostanie zmodyfikowane.",
        "Jeśli źródło danych o podanej nazwie nie istnieje, zostanie utworzone.",
        "",
    });
    Memo6.Lines().Assign({
        "Należy wybrać z listy nazwę ORACLE HOME.",
        "Jeśli lista jest pusta to klient ORACLE nie został poprawnie zainstalowany.",
    });
    Memo2.Lines().Assign({
        "Należy wprowadzić nazwę serwera MSSQL na którym zainstalowano bazę ",
        "danych i wybać sposób logowania użytkownika na serwerze.",
        "Sposób logowania zależy od konfiguracji sieci w przedsiębiorstwie i od ",
        "systemu operacyjnego komputera na którym zainstalowano serwer ",
        "MSSQL.",
    });
    Memo5.Lines().Assign({
        "Należy wprowadzić parametry serwera ORACLE na którym zainstalowano bazę ",
        "danych.",
    });
    Memo3.Lines().Assign({
        "Należy wprowadzić nazwę bazy danych przygotowaną do użycia z ",
        "systemem ",
        "\"Rondel\". ",
        "Jeśli możliwe jest wybranie jej z listy rozwijanej to wcześniejsze parametry ",
        "zostały określone poprawnie.",
        "Jeśli dane liczników są przechowywane w osobnej bazie, należy ją również ",
        "wprowadzić lub wybrać z listy.",
        "Jeśli pole pozostanie nie wypełnione, przyjęta zostanie nazwa bazy ",
        "ogólnej.",
    });
    Memo4.Lines().Assign({
        "Należy wprowadzić nazwy schematów bazy przygotowanej do użycia z systemem \"Rondel\".",
        "Jeśli możliwe jest wybranie ich z listy to wcześniejsze parametry zostały określone poprawnie.",
        "Jeśli dane liczników są przechowywane w osobnym shemacie, należy go również wprowadzić.",
        "Jeśli pole pozostanie nie wypełnione, przyjęta zostanie nazwa schematu bazy RN.",
    });
}
