#pragma once
// The message of the Exception a call raises, for asserting on error texts.
#include <string>

#include "base/Exception.h"

template <class Call>
std::string ErrorText(Call&& call) {
    try {
        call();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "<no exception>";
}
