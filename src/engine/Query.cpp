#include "engine/Query.h"

#include "base/Exception.h"
#include "base/Text.h"
#include "engine/Database.h"
#include "engine/Session.h"

void TQuery::Open() {
    Close();
    if (!session_.Active())
        throw Exception("Silnik bazy danych nie został uruchomiony: zapytanie nie może być wykonane");
    TDatabase* database = session_.FindDatabase(DatabaseName);
    if (!database) throw Exception(Format("Nieznana baza danych \"%s\"", {DatabaseName}));
    TEngineDriver& driver = session_.Driver(database->DriverName);

    // Lines joined as the list's text: every line ends with a line break, so
    // a comment line stays a line of its own.
    std::string sql;
    for (const auto& line : SQL.Lines()) {
        sql += line;
        sql += '\n';
    }

    // Everything goes into locals first: any error leaves the query closed.
    std::unique_ptr<TEngineCursor> cursor = driver.Execute(database->Params, sql);
    std::vector<std::string> row;
    const bool eof = !cursor->Fetch(row);
    cursor_ = std::move(cursor);
    row_ = std::move(row);
    eof_ = eof;
    database->connected_ = true;
}

void TQuery::Close() {
    if (!cursor_) return;
    cursor_.reset();
    row_.clear();
    eof_ = true;
    if (TDatabase* database = session_.FindDatabase(DatabaseName)) database->connected_ = false;
}

void TQuery::Next() {
    if (!cursor_) throw Exception("Zapytanie nie jest otwarte");
    if (eof_) return;
    std::vector<std::string> row;
    if (cursor_->Fetch(row)) {
        row_ = std::move(row);
    } else {
        row_.clear();
        eof_ = true;
    }
}

std::string TQuery::FieldByName(const std::string& name) const {
    if (!cursor_) throw Exception("Zapytanie nie jest otwarte");
    const auto& columns = cursor_->ColumnNames();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (!SameText(columns[i], name)) continue;
        return i < row_.size() ? row_[i] : std::string();
    }
    throw Exception(Format("Pole \"%s\" nie istnieje w wyniku zapytania", {name}));
}
