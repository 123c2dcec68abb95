#pragma once
// Text helpers shared by every subsystem. All strings are UTF-8.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// "Upper case" converts a..z only; other bytes (and so every non-ASCII letter) stay.
std::string UpperCase(std::string_view s);
// Comparison without regard to case, in the same a..z sense.
bool SameText(std::string_view a, std::string_view b);
// Three-way compare without regard to case; orders like strcmp on upper-cased text.
int CompareText(std::string_view a, std::string_view b);
std::string Trim(std::string_view s);

// The items of a delimited list: an item ends at the delimiter or at a blank
// (a byte up to ' '; NUL only when `nulIsBlank`), blanks around items are
// dropped, an item in double quotes is taken whole with "" standing for one
// quote, and a delimiter at the very end adds an empty item.
std::vector<std::string> SplitDelimited(std::string_view text, char delimiter, bool nulIsBlank);

// Replaces each "%s" in order with the next argument.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args);

// Windows-1250, the Polish ANSI code page; unmappable characters become '?'.
std::string Cp1250ToUtf8(std::string_view ansi);
std::string Utf8ToCp1250(std::string_view utf8);

// Code page 852, the Polish OEM code page; unmappable characters become '?'.
std::string Cp852ToUtf8(std::string_view oem);
std::string Utf8ToCp852(std::string_view utf8);

// The system's ANSI code page. Win32: the real CP_ACP; native builds: Windows-1250.
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

// The system's OEM code page, the one the database engine keeps its text in.
// Win32: the real CP_OEMCP; native builds: code page 852. A character the
// code page lacks becomes '?', never a lookalike.
std::string OemToUtf8(std::string_view oem);
std::string Utf8ToOem(std::string_view utf8);
