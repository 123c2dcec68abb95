#pragma once
// The text rules of the Oracle client's two network files, over lines of
// UTF-8 text: joining the names file into entry texts, reading an entry,
// writing and replacing one, and the settings lines of sqlnet.ora. No form,
// no files: the page, the writers, the suites and fuzzers all call these.
#include <string>
#include <string_view>
#include <vector>

// The parts of a net service entry the wizard keeps. Reading overwrites only
// what it finds, so the caller's defaults stay for the rest.
struct TNetServiceEntry {
    std::string Name;
    std::string Protocol;
    std::string Host;
    std::string Port;
    std::string Service;
};

// Trimmed lines become entry texts: a comment is an item of its own, every
// other line loses its blanks, and a line that begins with a parenthesis is
// appended to the item before it (or dropped when there is none yet).
std::vector<std::string> JoinEntryTexts(const std::vector<std::string>& lines);

// The text inside the parenthesis at 1-based `position` of `text`, nested
// pairs counted, up to the end when it never closes; empty when no "(" stands there.
std::string GroupText(std::string_view text, std::size_t position);

// Reads one entry text into `entry` (name upper-cased). False for a comment,
// a continuation or a text without a name before "=": nothing is read then.
bool ReadServiceEntry(const std::string& item, TNetServiceEntry& entry);

// The nine lines the wizard writes for an entry, headed by `name` as given.
std::vector<std::string> ServiceEntryLines(const TNetServiceEntry& entry);

// Deletes every entry of the name whole, as the Oracle client reads the
// file, then appends `entry` at the end. An entry is its header (a line that,
// trimmed as the join trims it, upper-cased and without blanks, begins with
// NAME "=") and every later line that is not empty or a comment, up to the
// next line in the far left column that is not one and not a parenthesis;
// empty lines and comments go with it only before its last line and while
// its parentheses are open. Other lines stay as they are.
void ReplaceServiceEntry(std::vector<std::string>& lines, const TNetServiceEntry& entry);

// sqlnet.ora: makes sure the setting `name` lists `item` in its value, read
// from the setting's line and the lines that continue it, appending it in the
// value's own format: one line then replaces all of the setting's lines, or is
// added at the end. False, and the lines untouched, when the item is there already.
bool EnsureSqlNetItem(std::vector<std::string>& lines, std::string_view name, std::string_view item);

// A value's items as the settings file separates them: commas and runs of
// blanks or control characters, double-quoted items with "" for a quote.
std::vector<std::string> SplitSqlNetItems(std::string_view value);
// The items back in the "(A,B)" form, quoting where an item needs it;
// parentheses inside items are dropped, the list's own are its only ones.
std::string JoinSqlNetItems(const std::vector<std::string>& items);

// True when `text` holds a character that would break an entry of the names
// file: a control character, "=", "(", ")", "#" or a double quote, and
// unless `inValue` a blank or a comma: a service name heads an entry, where
// "A,B =" or "A B =" would be more than one name.
bool BreaksNetFile(std::string_view text, bool inValue);
