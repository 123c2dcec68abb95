// The configuration file of the engine: the one description of its format.
//
// UTF-8 text (a leading byte order mark is skipped), one alias per block:
//
//     # Aliasy silnika bazy danych
//
//     [Veltra- RN]
//     DRIVER=SQL Native Client
//     ODBC DSN=Veltra
//     USER NAME=veltra
//
//     [Veltra- Net]
//     DRIVER=STANDARD
//     PATH=C:\Veltra\Dane
//     DEFAULT DRIVER=PARADOX
//
// - A line that begins with "[" and ends with "]" opens an alias; what lies
//   between the outermost brackets is its name, spelling kept.
// - The next line must be "DRIVER=" followed by the driver name. Only this
//   position makes it the driver: later lines are entries even when one of
//   them is called DRIVER.
// - Every further line up to the next alias is one entry NAME=VALUE, in the
//   alias's order. The name ends at the first "="; the value is the rest of
//   the line and may hold "=", blanks and any letters.
// - Empty lines and lines that begin with "#" or ";" are ignored.
// - Blanks (space, tab) around a name, a value and the bracketed header are
//   not part of them. A name or value that has blanks at either end, holds a
//   control character (a line break, a tab), or would otherwise be misread
//   (a value or name that begins with a double quote, an entry name that
//   begins with "[", "#" or ";") is written between double quotes, in which
//   \\ \" \n \r \t stand for a backslash, a double quote, LF, CR and tab, and
//   \xHH for any other control character or a byte that is not UTF-8.
//   Everything else is written as it is, so Windows paths keep their single
//   backslashes.
// - Alias names are unique without regard to case; an entry needs a name.
// Lines are written with CR LF; CR LF, LF and CR are all accepted.
//
// Any other line, a missing DRIVER line, an entry before the first alias, a
// repeated alias name, a broken quotation or bytes that are not UTF-8 make
// the whole file invalid; the error names the path and the line.
#include "engine/AliasStore.h"

#include <cstdint>
#include <string_view>

#include "base/Exception.h"
#include "base/Text.h"

namespace {

constexpr std::string_view kDriverKey = "DRIVER";
constexpr const char* kDriverExpected = "po nazwie aliasu oczekiwano wiersza DRIVER=nazwa sterownika";
constexpr std::string_view kFileHeader = "# Aliasy silnika bazy danych (UTF-8). Jeden blok [nazwa] na alias.";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Length of the well-formed UTF-8 sequence at s[i], 0 when it is not one.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) return 1;
    std::size_t extra;
    std::uint32_t min;
    if ((b & 0xE0) == 0xC0) { extra = 1; min = 0x80; }
    else if ((b & 0xF0) == 0xE0) { extra = 2; min = 0x800; }
    else if ((b & 0xF8) == 0xF0) { extra = 3; min = 0x10000; }
    else return 0;
    if (i + extra >= s.size()) return 0;
    std::uint32_t cp = b & (0x3Fu >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return extra + 1;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// Where `s` has a control character (but a tab, when `tabAllowed`) or a byte
// that is not well-formed UTF-8; npos when nowhere.
std::size_t FirstUnfit(std::string_view s, bool tabAllowed) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t n = Utf8Length(s, i);
        if (n == 0 || (IsControl(b) && !(tabAllowed && b == '\t'))) return i;
        i += n;
    }
    return std::string_view::npos;
}

// A line read from the file: UTF-8, and no control character but the tab.
// Returns the reason when the line is not acceptable.
const char* CheckLine(std::string_view s) {
    const std::size_t at = FirstUnfit(s, true);
    if (at == std::string_view::npos) return nullptr;
    return static_cast<unsigned char>(s[at]) < 0x80 ? "niedozwolony znak sterujący" : "tekst nie jest zapisany w UTF-8";
}

// True when `text` cannot stand unquoted in the file. `entryName` adds the
// characters that would turn an entry line into a header or a comment.
bool NeedsQuotes(std::string_view text, bool entryName) {
    if (text.empty()) return false;
    if (IsBlank(text.front()) || IsBlank(text.back()) || text.front() == '"') return true;
    if (entryName && (text.front() == '[' || text.front() == '#' || text.front() == ';')) return true;
    return FirstUnfit(text, false) != std::string_view::npos;
}

void AppendToken(std::string& out, std::string_view text, bool entryName) {
    if (!NeedsQuotes(text, entryName)) {
        out += text;
        return;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const std::size_t n = Utf8Length(text, i);
        if (n == 0 || (n == 1 && IsControl(static_cast<unsigned char>(c)) && c != '\n' && c != '\r' && c != '\t')) {
            const auto b = static_cast<unsigned char>(c);
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 0xF];
            ++i;
            continue;
        }
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: out.append(text.substr(i, n)); break;
        }
        i += n;
    }
    out += '"';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads the file line by line and reports errors with the line's number.
class Parser {
public:
    Parser(std::string_view text, const std::string& path) : text_(text), path_(path) {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") text_.remove_prefix(3);
    }

    bool NextLine(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        std::size_t end = pos_;
        while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
        line = text_.substr(pos_, end - pos_);
        pos_ = end;
        if (pos_ < text_.size()) {
            ++pos_;
            if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        }
        ++lineNo_;
        return true;
    }

    [[noreturn]] void Fail(std::string_view reason) const {
        throw Exception(Format("Błąd w pliku konfiguracji silnika bazy danych \"%s\", wiersz %s: %s",
                               {path_, std::to_string(lineNo_), reason}));
    }

    // Appends a name or value as written, quoted or as it is, to `out`.
    // The line has passed CheckLine.
    void DecodeInto(std::string& out, std::string_view raw) const {
        raw = TrimBlanks(raw);
        if (raw.empty() || raw.front() != '"') {
            out += raw;
            return;
        }
        if (raw.size() < 2 || raw.back() != '"') Fail("niezamknięty cudzysłów");
        const std::string_view inner = raw.substr(1, raw.size() - 2);
        for (std::size_t i = 0; i < inner.size(); ++i) {
            const char c = inner[i];
            if (c == '"') Fail("cudzysłów w tekście ujętym w cudzysłów musi być zapisany jako \\\"");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (++i >= inner.size()) Fail("niedokończona sekwencja ze znakiem \\");
            switch (inner[i]) {
                case '\\': out += '\\'; break;
                case '"': out += '"'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'x': {
                    const int hi = i + 1 < inner.size() ? HexDigit(inner[i + 1]) : -1;
                    const int lo = i + 2 < inner.size() ? HexDigit(inner[i + 2]) : -1;
                    if (hi < 0 || lo < 0) Fail("po \\x oczekiwano dwóch cyfr szesnastkowych");
                    out += static_cast<char>(hi * 16 + lo);
                    i += 2;
                    break;
                }
                default: Fail("nieznana sekwencja ze znakiem \\");
            }
        }
    }

    std::string Token(std::string_view raw) const {
        std::string out;
        DecodeInto(out, raw);
        return out;
    }

    // NAME=VALUE as the list line it stands for. A quoted name may hold "=",
    // so the separator is the first "=" after the name's closing quote.
    std::string EntryLine(std::string_view trimmed) const {
        std::size_t eq;
        if (!trimmed.empty() && trimmed.front() == '"') {
            std::size_t i = 1;
            while (i < trimmed.size() && trimmed[i] != '"') i += trimmed[i] == '\\' ? 2 : 1;
            if (i >= trimmed.size()) Fail("niezamknięty cudzysłów");
            eq = trimmed.find('=', i + 1);
            if (eq == std::string_view::npos) Fail("oczekiwano wpisu NAZWA=WARTOŚĆ");
            if (!TrimBlanks(trimmed.substr(i + 1, eq - i - 1)).empty()) Fail("tekst po zamykającym cudzysłowie");
        } else {
            eq = trimmed.find('=');
            if (eq == std::string_view::npos) Fail("oczekiwano wpisu NAZWA=WARTOŚĆ");
        }
        std::string line;
        line.reserve(trimmed.size());
        DecodeInto(line, trimmed.substr(0, eq));
        if (line.empty()) Fail("wpis bez nazwy");
        if (line.find('=') != std::string::npos) Fail("nazwa wpisu nie może zawierać znaku =");
        line += '=';
        DecodeInto(line, trimmed.substr(eq + 1));
        return line;
    }

private:
    std::string_view text_;
    const std::string& path_;
    std::size_t pos_ = 0;
    std::size_t lineNo_ = 0;
};

}  // namespace

void TAliasStore::Load(const std::string& text, const std::string& path) {
    std::vector<TAlias> aliases;
    std::map<std::string, std::size_t> index;
    Parser parser(text, path);
    std::string_view line;
    bool expectDriver = false;

    while (parser.NextLine(line)) {
        if (const char* reason = CheckLine(line)) parser.Fail(reason);
        const std::string_view trimmed = TrimBlanks(line);
        if (expectDriver) {
            if (trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';' || trimmed.front() == '[')
                parser.Fail(kDriverExpected);
            std::string entry = parser.EntryLine(trimmed);
            const std::size_t eq = entry.find('=');
            if (!SameText(std::string_view(entry).substr(0, eq), kDriverKey)) parser.Fail(kDriverExpected);
            aliases.back().Driver = entry.substr(eq + 1);
            expectDriver = false;
            continue;
        }
        if (trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';') continue;
        if (trimmed.front() == '[') {
            if (trimmed.back() != ']' || trimmed.size() < 2) parser.Fail("nagłówek aliasu musi kończyć się znakiem ]");
            std::string name = parser.Token(trimmed.substr(1, trimmed.size() - 2));
            if (name.empty()) parser.Fail("pusta nazwa aliasu");
            if (!index.emplace(UpperCase(name), aliases.size()).second)
                parser.Fail(Format("alias \"%s\" występuje więcej niż raz", {name}));
            aliases.push_back(TAlias{std::move(name), {}, {}});
            expectDriver = true;
            continue;
        }
        if (aliases.empty()) parser.Fail("wpis przed pierwszym nagłówkiem [nazwa aliasu]");
        aliases.back().Params.Add(parser.EntryLine(trimmed));
    }
    if (expectDriver) parser.Fail(kDriverExpected);

    aliases_ = std::move(aliases);
    index_ = std::move(index);
}

std::string TAliasStore::Save() const {
    std::string out;
    std::size_t estimate = kFileHeader.size() + 2;
    for (const auto& alias : aliases_) {
        estimate += alias.Name.size() + alias.Driver.size() + 16;
        for (const auto& line : alias.Params.Lines()) estimate += line.size() + 2;
    }
    out.reserve(estimate + estimate / 16);

    out += kFileHeader;
    out += "\r\n";
    for (const auto& alias : aliases_) {
        out += "\r\n[";
        AppendToken(out, alias.Name, false);
        out += "]\r\n";
        out += kDriverKey;
        out += '=';
        AppendToken(out, alias.Driver, false);
        out += "\r\n";
        for (const auto& line : alias.Params.Lines()) {
            const std::string_view entry(line);
            const std::size_t eq = entry.find('=');
            AppendToken(out, entry.substr(0, eq), true);
            out += '=';
            AppendToken(out, entry.substr(eq + 1), false);
            out += "\r\n";
        }
    }
    return out;
}

std::vector<std::string> TAliasStore::Names() const {
    std::vector<std::string> names;
    names.reserve(aliases_.size());
    for (const auto& alias : aliases_) names.push_back(alias.Name);
    return names;
}

const TAlias* TAliasStore::Find(const std::string& name) const {
    const auto it = index_.find(UpperCase(name));
    return it == index_.end() ? nullptr : &aliases_[it->second];
}

TAlias* TAliasStore::Find(const std::string& name) {
    const auto it = index_.find(UpperCase(name));
    return it == index_.end() ? nullptr : &aliases_[it->second];
}

void TAliasStore::Add(TAlias alias) {
    if (alias.Name.empty()) throw Exception("Nazwa aliasu nie może być pusta");
    for (const auto& line : alias.Params.Lines()) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0)
            throw Exception(Format("Parametr \"%s\" aliasu \"%s\" nie ma postaci NAZWA=WARTOŚĆ", {line, alias.Name}));
    }
    std::string key = UpperCase(alias.Name);
    if (index_.count(key)) throw Exception(Format("Alias \"%s\" już istnieje", {alias.Name}));
    index_.emplace(std::move(key), aliases_.size());
    aliases_.push_back(std::move(alias));
}
