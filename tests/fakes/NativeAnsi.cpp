// Native builds have no system code page: the Polish one stands in for it.
#include "platform/Text.h"

std::string AnsiToUtf8(std::string_view ansi) { return Cp1250ToUtf8(ansi); }
std::string Utf8ToAnsi(std::string_view utf8) { return Utf8ToCp1250(utf8); }
