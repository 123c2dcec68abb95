#pragma once
// UTF-8 inside the program, UTF-16 at the wide Win32 APIs.
#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// The system's text for a Win32 error code, in the system's language, without
// the trailing line break.
std::string SystemErrorText(unsigned long code);
