#pragma once
// Names as Windows compares them in the registry and on NTFS: upper-cased
// letter by letter through the system's table (RtlUpcaseUnicodeChar), so
// "ŁÓDŹ" and "łódź" are one name. The fakes cover ASCII, Latin-1 and Latin
// Extended-A, which hold every Polish letter.
#include <string>
#include <string_view>

std::string FoldCase(std::string_view utf8);
// Three-way, as the registry orders subkeys: by the upper-cased characters.
int CompareFolded(std::string_view a, std::string_view b);
inline bool SameFolded(std::string_view a, std::string_view b) { return CompareFolded(a, b) == 0; }
