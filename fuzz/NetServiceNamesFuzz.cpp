// tnsnames.ora as the page and the apply meet it: the file's bytes are read
// as the file layer reads them, joined and parsed into entries, and one entry
// is rewritten. The entry rewritten is one the file holds (the input's last
// byte picks it and its spelling), with fields taken from the file, so the
// replacement meets real headers and not only misses.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Text.h"
#include "oracle/NetFileText.h"
#include "platform/FileSystem.h"

namespace {

using Lines = std::vector<std::string>;

[[noreturn]] void Fault(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.c_str());
    std::abort();
}

std::string WithoutBlanks(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ') out += c;
    return out;
}

// What the page makes of a line: the header test the join applies.
std::string Packed(const std::string& line) { return UpperCase(WithoutBlanks(Trim(line))); }

// The client's reading (Oracle Net Services Reference, "Syntax Rules for
// Configuration Files"): a parameter begins in the far left column, an
// indented line continues the one before, "#" begins a comment.
bool Silent(const std::string& line) {
    const std::string t = Trim(line);
    return t.empty() || t.front() == '#';
}
bool StartsEntry(const std::string& line) {
    if (line.empty() || line.front() == ' ' || line.front() == '\t' || Silent(line)) return false;
    return Trim(line).front() != '(' && Trim(line).front() != ')';
}

// What the service-name check and the field checks let through.
std::string Sanitized(const std::string& text, bool inValue) {
    std::string out;
    for (char c : text)
        if (!BreaksNetFile(std::string(1, c), inValue)) out += c;
    return out;
}

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// kept must be the old lines without the entries of the name: after each
// header, up to the next line that starts an entry, every line that is not
// empty or a comment goes (one left would continue the line above it), the
// empty lines and comments before the last of them may go, and every other
// line stays. Compared as the bytes the file layer writes, against the
// bytes read.
bool KeptOutsideEntries(const Lines& old, const Lines& oldBytes, const Lines& kept, const std::string& key) {
    enum { Stays, MayGo, Goes };
    std::vector<int> fate(old.size(), Stays);
    for (std::size_t h = 0; h < old.size(); ++h) {
        if (Packed(old[h]).rfind(key, 0) != 0) continue;
        std::size_t last = h;
        for (std::size_t i = h + 1; i < old.size() && !StartsEntry(old[i]); ++i)
            if (!Silent(old[i])) last = i;
        for (std::size_t i = h; i <= last; ++i) fate[i] = std::max(fate[i], Silent(old[i]) ? int(MayGo) : int(Goes));
    }
    Lines keptBytes;
    for (const std::string& line : kept) keptBytes.push_back(Utf8ToAnsi(line));
    std::vector<char> reach(kept.size() + 1, 0);
    reach[0] = 1;
    for (std::size_t i = 0; i < old.size(); ++i) {
        std::vector<char> next(kept.size() + 1, 0);
        for (std::size_t p = 0; p <= kept.size(); ++p) {
            if (!reach[p]) continue;
            if (fate[i] != Stays) next[p] = 1;
            if (fate[i] != Goes && p < kept.size() && keptBytes[p] == oldBytes[i]) next[p + 1] = 1;
        }
        reach.swap(next);
    }
    return reach[kept.size()] != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Lines old = SplitLines(AnsiToUtf8(bytes));
    const Lines oldBytes = SplitLines(bytes);
    if (old.size() != oldBytes.size()) Fault("the conversion changes the lines");

    std::vector<TNetServiceEntry> read;
    for (const std::string& item : JoinEntryTexts(old)) {
        TNetServiceEntry entry{"", "TCP", "", "1521", "XE"};
        if (ReadServiceEntry(item, entry)) read.push_back(entry);
    }

    const unsigned pick = size ? data[size - 1] : 0;
    TNetServiceEntry entry{"XE", "TCP", "serwer", "1521", "XE"};
    if (!read.empty()) entry = read[pick % read.size()];
    entry.Name = Sanitized(entry.Name, false);
    if (entry.Name.empty()) entry.Name = "XE";
    if (pick & 0x80) entry.Name = LowerCase(entry.Name);
    for (std::string* field : {&entry.Protocol, &entry.Host, &entry.Port, &entry.Service})
        *field = Sanitized(*field, true);

    Lines lines = old;
    ReplaceServiceEntry(lines, entry);

    const Lines written = ServiceEntryLines(entry);
    if (lines.size() < written.size() || !std::equal(written.begin(), written.end(), lines.end() - 9))
        Fault("the entry is not written at the end");
    const Lines kept(lines.begin(), lines.end() - 9);
    const std::string key = UpperCase(entry.Name + "=");
    for (const std::string& line : kept)
        if (Packed(line).rfind(key, 0) == 0) Fault("an old header of the entry stays", line);
    if (!KeptOutsideEntries(old, oldBytes, kept, key)) Fault("a line outside the replaced entry changed");

    // The page reads the first entry of a name; it must be the one written.
    const std::string name = UpperCase(entry.Name);
    for (const std::string& item : JoinEntryTexts(lines)) {
        TNetServiceEntry back{"", "", "", "", ""};
        if (!ReadServiceEntry(item, back) || back.Name != name) continue;
        // The join drops blanks, which the fields may hold.
        if (back.Protocol != WithoutBlanks(entry.Protocol) || back.Host != WithoutBlanks(entry.Host) ||
            back.Port != WithoutBlanks(entry.Port) || back.Service != WithoutBlanks(entry.Service))
            Fault("the written entry reads back otherwise", item);
        return 0;
    }
    Fault("the written entry is not read back");
}
