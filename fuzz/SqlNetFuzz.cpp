// sqlnet.ora as the apply brings it into line: the two settings are ensured,
// and a second apply must find nothing to do. A setting rewritten is one line
// in place of its own lines (its line and those continuing it); every other
// line stays as it was; a missing setting is added at the end.
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

struct Setting {
    const char* Name;
    const char* Item;
};
constexpr Setting kSettings[] = {{"SQLNET.AUTHENTICATION_SERVICES", "NTS"}, {"NAMES.DIRECTORY_PATH", "TNSNAMES"}};

[[noreturn]] void Fault(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "invariant broken: %s %s\n", what, detail.c_str());
    std::abort();
}

// The client's reading (Oracle Net Services Reference, "Syntax Rules for
// Configuration Files"): a parameter begins in the far left column, an
// indented line continues the one before, "#" begins a comment.
bool Silent(const std::string& line) {
    const std::string t = Trim(line);
    return t.empty() || t.front() == '#';
}
bool StartsParameter(const std::string& line) {
    if (line.empty() || line.front() == ' ' || line.front() == '\t' || Silent(line)) return false;
    return Trim(line).front() != '(' && Trim(line).front() != ')';
}

// The setting's line: the first whose text before its first "=" is the name.
std::size_t SettingLine(const Lines& lines, const char* name) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t eq = lines[i].find('=');
        if (eq != std::string::npos && SameText(std::string_view(lines[i]).substr(0, eq), name)) return i;
    }
    return lines.size();
}

// One setting ensured on before, giving after.
void CheckOne(const Lines& before, const Lines& after, bool changed, const Setting& s) {
    if (!changed) {
        if (after != before) Fault("lines changed without a change reported");
        return;
    }
    const std::string head = std::string(s.Name) + "=";
    const std::size_t at = SettingLine(before, s.Name);
    if (at == before.size()) {
        if (after.size() != before.size() + 1 || !std::equal(before.begin(), before.end(), after.begin()) ||
            after.back().rfind(head, 0) != 0)
            Fault("a missing setting is not added at the end alone", s.Name);
        return;
    }
    // Its own lines run to the next parameter; only empty lines and comments
    // of them may stay after the rebuilt line.
    std::size_t end = at + 1;
    while (end < before.size() && !StartsParameter(before[end])) ++end;
    const std::size_t tail = before.size() - end;
    if (after.size() < at + 1 + tail || after.size() > at + 1 + (end - at - 1) + tail ||
        !std::equal(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(at), after.begin()) ||
        !std::equal(before.end() - static_cast<std::ptrdiff_t>(tail), before.end(), after.end() - static_cast<std::ptrdiff_t>(tail)))
        Fault("a line outside the setting changed", s.Name);
    if (after[at].rfind(head, 0) != 0) Fault("the setting is not rebuilt in place", after[at]);
    std::size_t from = at + 1;
    for (std::size_t i = at + 1; i < after.size() - tail; ++i) {
        while (from < end && before[from] != after[i]) ++from;
        if (from == end || !Silent(after[i])) Fault("a line of the old setting stays", after[i]);
        ++from;
    }
}

bool Apply(Lines& lines) {
    bool changed = false;
    for (const Setting& s : kSettings) {
        const Lines before = lines;
        const bool one = EnsureSqlNetItem(lines, s.Name, s.Item);
        CheckOne(before, lines, one, s);
        changed |= one;
    }
    return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Lines old = SplitLines(AnsiToUtf8(std::string(reinterpret_cast<const char*>(data), size)));
    Lines once = old;
    Apply(once);
    Lines twice = once;
    if (Apply(twice) || twice != once) Fault("a second apply changes the file", twice.back());
    return 0;
}
