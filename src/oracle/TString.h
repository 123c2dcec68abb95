#pragma once
// A string held by a list item: the Oracle home list keeps each home's
// registry subkey name here, since two homes may show the same display name.
#include <string>
#include <utility>

#include "ui/Controls.h"

class TString : public TObject {
public:
    explicit TString(std::string value) : Value(std::move(value)) {}
    std::string Value;
};
