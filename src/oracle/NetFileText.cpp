#include "oracle/NetFileText.h"

#include <algorithm>

#include "base/Text.h"

namespace {

bool Blankish(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::string WithoutBlanks(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ') out += c;
    return out;
}

// What follows a key the caller has seen the group begin with.
std::string Rest(const std::string& group, std::string_view key) {
    return group.substr(key.size());
}

// Oracle Net Services Reference, "Syntax Rules for Configuration Files": a
// keyword that begins a parameter stands in the far left column; a line
// indented by a blank continues the line before; "#" begins a comment that
// runs to the end of the line; reserved symbols in quoted text are text.

// Empty lines and comments: what the client passes over.
bool Silent(std::string_view line) {
    const std::string trimmed = Trim(line);
    return trimmed.empty() || trimmed.front() == '#';
}

// In the far left column, and no comment or parenthesis (a line beginning
// with one the page reads as a continuation, however it stands).
bool StartsParameter(std::string_view line) {
    if (line.empty() || line.front() == ' ' || line.front() == '\t' || Silent(line)) return false;
    const char first = Trim(line).front();
    return first != '(' && first != ')';
}

// Passes every character outside quotes to `each`, up to a comment ("#"
// outside quotes); returns where the comment begins, npos: none.
template <class Each>
std::size_t ScanOutsideQuotes(std::string_view line, Each each) {
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (quote) {
            if (line[i] == quote) quote = 0;
        } else if (line[i] == '#') {
            return i;
        } else if (line[i] == '"' || line[i] == '\'') {
            quote = line[i];
        } else {
            each(line[i]);
        }
    }
    return std::string_view::npos;
}

std::size_t CommentStart(std::string_view line) {
    return ScanOutsideQuotes(line, [](char) {});
}

void CountParentheses(std::string_view line, int& depth, bool& opened) {
    ScanOutsideQuotes(line, [&](char c) {
        if (c == '(') {
            ++depth;
            opened = true;
        } else if (c == ')') {
            --depth;
        }
    });
}

// The lines of the parameter that begins at `first`, in order: every line up
// to the next parameter that is not empty or a comment, and those that are,
// where they stand before its last line while its parentheses are open (or
// not opened yet). The empty lines and comments after it belong to what follows.
std::vector<std::size_t> ParameterLines(const std::vector<std::string>& lines, std::size_t first) {
    std::size_t end = first + 1;
    while (end < lines.size() && !StartsParameter(lines[end])) ++end;
    while (end > first + 1 && Silent(lines[end - 1])) --end;
    std::vector<std::size_t> own;
    int depth = 0;
    bool opened = false;
    for (std::size_t i = first; i < end; ++i) {
        if (!Silent(lines[i]) || !opened || depth > 0) own.push_back(i);
        CountParentheses(lines[i], depth, opened);
    }
    return own;
}

// `indices` in ascending order.
void EraseLines(std::vector<std::string>& lines, const std::vector<std::size_t>& indices) {
    for (auto it = indices.rbegin(); it != indices.rend(); ++it) lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*it));
}

bool NeedsQuotes(std::string_view item) {
    // Unquoted, "#" would begin a comment and "'" a quotation.
    return std::any_of(item.begin(), item.end(),
                       [](char c) { return Blankish(c) || c == ',' || c == '"' || c == '#' || c == '\''; });
}

}  // namespace

std::vector<std::string> JoinEntryTexts(const std::vector<std::string>& lines) {
    std::vector<std::string> items;
    for (const std::string& raw : lines) {
        const std::string line = Trim(raw);
        if (line.empty()) continue;
        if (line.front() == '#') {
            items.push_back(line);
            continue;
        }
        std::string packed = WithoutBlanks(line);
        if (packed.front() == '(' || packed.front() == ')') {
            if (!items.empty()) items.back() += packed;
        } else {
            items.push_back(std::move(packed));
        }
    }
    return items;
}

std::string GroupText(std::string_view text, std::size_t position) {
    if (position < 1 || position > text.size() || text[position - 1] != '(') return {};
    int depth = 1;
    for (std::size_t i = position; i < text.size(); ++i) {
        if (text[i] == '(') ++depth;
        if (text[i] == ')' && --depth == 0) return std::string(text.substr(position, i - position));
    }
    return std::string(text.substr(position));
}

bool ReadServiceEntry(const std::string& item, TNetServiceEntry& entry) {
    if (item.empty() || item.front() == '#' || item.front() == '(' || item.front() == ')') return false;
    const std::size_t eq = item.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    entry.Name = UpperCase(item.substr(0, eq));

    // The outer parentheses are taken as read: the character after "=" and
    // the last one are dropped unseen.
    const std::string body = eq + 2 < item.size() ? item.substr(eq + 2, item.size() - eq - 3) : std::string();
    if (!StartsWith(body, "DESCRIPTION=")) return true;
    const std::string description = body.substr(12);
    const std::string addressList = GroupText(description, 1);
    if (!StartsWith(addressList, "ADDRESS_LIST=")) return true;
    const std::string connectData = GroupText(description, addressList.size() + 3);

    const std::string address = GroupText(Rest(addressList, "ADDRESS_LIST="), 1);
    if (StartsWith(address, "ADDRESS=")) {
        const std::string groups = Rest(address, "ADDRESS=");
        const std::pair<const char*, std::string*> keys[] = {
            {"PROTOCOL=", &entry.Protocol}, {"HOST=", &entry.Host}, {"PORT=", &entry.Port}};
        std::size_t position = 1;
        for (const auto& [key, field] : keys) {
            const std::string group = GroupText(groups, position);
            if (!StartsWith(group, key)) break;
            *field = group.substr(std::string_view(key).size());
            position += group.size() + 2;
        }
    }
    if (StartsWith(connectData, "CONNECT_DATA=")) {
        const std::string service = GroupText(Rest(connectData, "CONNECT_DATA="), 1);
        if (StartsWith(service, "SERVICE_NAME=")) entry.Service = Rest(service, "SERVICE_NAME=");
    }
    return true;
}

std::vector<std::string> ServiceEntryLines(const TNetServiceEntry& entry) {
    return {
        entry.Name + " =",
        "  (DESCRIPTION =",
        "    (ADDRESS_LIST =",
        "      (ADDRESS = (PROTOCOL = " + entry.Protocol + ")(HOST = " + entry.Host + ")(PORT = " + entry.Port + "))",
        "    )",
        "    (CONNECT_DATA =",
        "      (SERVICE_NAME = " + entry.Service + ")",
        "    )",
        "  )",
    };
}

namespace {
// Trimmed as the join trims, so that every header the page reads is found.
std::size_t FindHeader(const std::vector<std::string>& lines, std::string_view name, std::size_t from) {
    const std::string key = UpperCase(std::string(name) + "=");
    for (std::size_t i = from; i < lines.size(); ++i)
        if (StartsWith(UpperCase(WithoutBlanks(Trim(lines[i]))), key)) return i;
    return lines.size();
}
}  // namespace

void ReplaceServiceEntry(std::vector<std::string>& lines, const TNetServiceEntry& entry) {
    // Every entry of the name goes: the page reads the first one of a name,
    // so one left behind would hide the entry written at the end. A line of
    // an entry left behind would continue the entry above it.
    for (std::size_t header = FindHeader(lines, entry.Name, 0); header < lines.size();
         header = FindHeader(lines, entry.Name, header))
        EraseLines(lines, ParameterLines(lines, header));
    for (std::string& line : ServiceEntryLines(entry)) lines.push_back(std::move(line));
}

std::vector<std::string> SplitSqlNetItems(std::string_view value) { return SplitDelimited(value, ',', true); }

std::string JoinSqlNetItems(const std::vector<std::string>& items) {
    std::string value = "(";
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (k > 0) value += ',';
        // The reading drops only the first "(" and ")": one left inside an
        // item would close the list early on the next read.
        std::string item = items[k];
        std::erase_if(item, [](char c) { return c == '(' || c == ')'; });
        if (!NeedsQuotes(item)) {
            value += item;
            continue;
        }
        value += '"';
        for (char c : item) value += c == '"' ? std::string("\"\"") : std::string(1, c);
        value += '"';
    }
    return value + ")";
}

bool EnsureSqlNetItem(std::vector<std::string>& lines, std::string_view name, std::string_view item) {
    std::vector<std::size_t> own;  // the setting's lines
    for (std::size_t i = 0; i < lines.size() && own.empty(); ++i) {
        const std::size_t eq = lines[i].find('=');
        if (eq != std::string::npos && SameText(std::string_view(lines[i]).substr(0, eq), name))
            own = ParameterLines(lines, i);
    }
    // A line end separates items as a blank does. Comments are no items:
    // read as items, a "#" rebuilt into the list would cut it short. They
    // stay behind the rebuilt value.
    std::string value, comments;
    for (std::size_t i : own) {
        std::string_view line = lines[i];
        if (i == own.front()) line.remove_prefix(line.find('=') + 1);
        if (const std::size_t hash = CommentStart(line); hash != std::string_view::npos) {
            comments += ' ' + Trim(line.substr(hash));
            line = line.substr(0, hash);
        }
        value += ' ';
        value += line;
    }
    for (char parenthesis : {'(', ')'})
        if (const std::size_t at = value.find(parenthesis); at != std::string::npos) value.erase(at, 1);

    std::vector<std::string> items = SplitSqlNetItems(value);
    if (std::any_of(items.begin(), items.end(), [&](const std::string& it) { return SameText(it, item); }))
        return false;
    items.emplace_back(item);
    std::string line = std::string(name) + "=" + JoinSqlNetItems(items) + comments;
    if (own.empty()) {
        lines.push_back(std::move(line));
        return true;
    }
    lines[own.front()] = std::move(line);
    EraseLines(lines, std::vector<std::size_t>(own.begin() + 1, own.end()));
    return true;
}

bool BreaksNetFile(std::string_view text, bool inValue) {
    return std::any_of(text.begin(), text.end(), [&](char c) {
        const auto code = static_cast<unsigned char>(c);
        if (c == ' ' || c == ',') return !inValue;
        return code < ' ' || code == 127 || c == '=' || c == '(' || c == ')' || c == '#' || c == '"';
    });
}
