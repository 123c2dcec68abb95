#pragma once
// A query's declared result field: one column of the current row, read as
// text and held to the width it was declared with.
#include <string>
#include <utility>

#include "engine/Query.h"
#include "ui/Utf8.h"

class TStringField {
public:
    TStringField(TQuery& query, std::string fieldName, int size)
        : query_(query), fieldName_(std::move(fieldName)), size_(size) {}

    const std::string& FieldName() const { return fieldName_; }
    // Raises when the query is closed or has no such column.
    std::string AsString() const { return LeftChars(query_.FieldByName(fieldName_), size_); }

private:
    TQuery& query_;
    std::string fieldName_;
    int size_;
};
