// Native builds have no system code page: the Polish one stands in for it.
#include "base/Text.h"

std::string AnsiToUtf8(std::string_view ansi) { return Cp1250ToUtf8(ansi); }
std::string Utf8ToAnsi(std::string_view utf8) { return Utf8ToCp1250(utf8); }
std::string OemToUtf8(std::string_view oem) { return Cp852ToUtf8(oem); }
std::string Utf8ToOem(std::string_view utf8) { return Utf8ToCp852(utf8); }
