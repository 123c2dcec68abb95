#include "mssql/SqlServerLists.h"

#include "base/StringList.h"
#include "base/Text.h"

namespace {

constexpr char Quote = '"';
constexpr std::size_t MachinePathLength = 255;

// Blanks and control characters end an unquoted item and are skipped
// between items.
bool IsBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 1 && byte <= ' ';
}

// A quoted item from text[pos] (the opening quote) to its closing quote; a
// doubled quote inside stands for one. Moves pos past the closing quote.
std::string QuotedItem(const std::string& text, std::size_t& pos) {
    std::string item;
    ++pos;
    while (pos < text.size()) {
        const char c = text[pos++];
        if (c != Quote) {
            item += c;
        } else if (pos < text.size() && text[pos] == Quote) {
            item += Quote;
            ++pos;
        } else {
            break;
        }
    }
    return item;
}

// The list's delimited-text reading: items end at the delimiter or at a
// blank, blanks around items are dropped, a quoted item is taken whole, and
// a delimiter at the very end adds an empty item.
std::vector<std::string> DelimitedItems(const std::string& text, char delimiter) {
    std::vector<std::string> items;
    std::size_t pos = 0;
    const auto skipBlanks = [&] {
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
    };
    skipBlanks();
    while (pos < text.size()) {
        if (text[pos] == Quote) {
            items.push_back(QuotedItem(text, pos));
        } else {
            const std::size_t start = pos;
            while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != delimiter) ++pos;
            items.push_back(text.substr(start, pos - start));
        }
        skipBlanks();
        if (pos < text.size() && text[pos] == delimiter) {
            if (pos + 1 == text.size()) items.emplace_back();
            ++pos;
            skipBlanks();
        }
    }
    return items;
}

// The list's reading of text as lines: CR, LF and CR LF end a line; a line
// break at the very end adds no empty line.
std::vector<std::string> TextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", pos);
        lines.push_back(text.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
        if (end == std::string::npos) break;
        pos = end;
        if (text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
    }
    return lines;
}

void EraseFirst(std::string& text, char c) {
    if (const std::size_t at = text.find(c); at != std::string::npos) text.erase(at, 1);
}

}  // namespace

std::vector<std::string> BrowsedSqlServers(const std::string& answer) {
    TStringList items;
    items.Lines() = DelimitedItems(answer, ';');
    std::string servers = items.Values("SERVER:Server");
    EraseFirst(servers, '{');
    EraseFirst(servers, '}');
    return DelimitedItems(servers, ',');
}

std::string MachinePath(const std::string& machine) {
    const std::string path = "\\\\" + machine;
    const std::string ansi = Utf8ToAnsi(path);
    return ansi.size() > MachinePathLength ? AnsiToUtf8(ansi.substr(0, MachinePathLength)) : path;
}

std::optional<std::string> SqlServerInstanceEntry(const std::string& machine, const std::string& serviceName) {
    const std::string upper = UpperCase(serviceName);
    if (upper != "MSSQLSERVER" && upper.substr(0, 6) != "MSSQL$") return std::nullopt;
    // The instance is the second line once the first "$" becomes a line
    // break; "MSSQL$" alone makes one line, the default instance.
    std::string text = serviceName;
    if (const std::size_t dollar = text.find('$'); dollar != std::string::npos) text.replace(dollar, 1, "\r\n");
    const std::vector<std::string> lines = TextLines(text);
    return lines.size() >= 2 ? machine + "\\" + lines[1] : machine;
}
