// tnsnames.ora as the page and the apply meet it: the file's bytes are read
// as the file layer reads them, joined and parsed into entries, and one entry
// is rewritten. The entry rewritten is one the file holds (the input's last
// byte picks it and its spelling), with fields taken from the file, so the
// replacement meets real headers and not only misses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "oracle/NetFileText.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

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

bool StartsEntry(const std::string& line) {
    const std::string t = Trim(line);
    return !t.empty() && t.front() != '#' && t.front() != '(' && t.front() != ')';
}

// What the service-name check and the field checks let through.
std::string Sanitized(const std::string& text, TNetText kind) {
    std::string out;
    for (char c : text)
        if (!BreaksNetFile(std::string(1, c), kind)) out += c;
    return out;
}

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// kept must be the old lines with, after every header of the name, some
// lines removed that start no entry: segment 0 whole, then a tail of every
// later segment. Compared as the bytes the file layer writes, against the
// bytes read.
bool KeptOutsideEntries(const Lines& old, const Lines& oldBytes, const Lines& kept, const std::string& key) {
    Lines keptBytes;
    for (const std::string& line : kept) keptBytes.push_back(Utf8ToAnsi(line));
    std::vector<std::vector<std::size_t>> segments(1);
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (Packed(old[i]).rfind(key, 0) == 0)
            segments.emplace_back();
        else
            segments.back().push_back(i);
    }
    std::vector<char> reach(kept.size() + 1, 0);
    reach[0] = 1;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        const std::vector<std::size_t>& seg = segments[s];
        std::size_t maxCut = 0;  // lines of the old entry that may go
        if (s > 0)
            while (maxCut < seg.size() && !StartsEntry(old[seg[maxCut]])) ++maxCut;
        std::vector<char> next(kept.size() + 1, 0);
        for (std::size_t p = 0; p <= kept.size(); ++p) {
            if (!reach[p]) continue;
            for (std::size_t cut = 0; cut <= maxCut; ++cut) {
                const std::size_t len = seg.size() - cut;
                if (p + len > kept.size()) continue;
                bool same = true;
                for (std::size_t k = 0; k < len && same; ++k) same = keptBytes[p + k] == oldBytes[seg[cut + k]];
                if (same) next[p + len] = 1;
            }
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
    entry.Name = Sanitized(entry.Name, TNetText::ServiceName);
    if (entry.Name.empty()) entry.Name = "XE";
    if (pick & 0x80) entry.Name = LowerCase(entry.Name);
    for (std::string* field : {&entry.Protocol, &entry.Host, &entry.Port, &entry.Service})
        *field = Sanitized(*field, TNetText::Value);

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
