// sqlnet.ora as the apply brings it into line: the two settings are ensured,
// and a second apply must find nothing to do. Every line but the two
// settings' own stays as it was; a missing setting is added at the end.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "oracle/NetFileText.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

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

bool Apply(Lines& lines) {
    bool changed = false;
    for (const Setting& s : kSettings) changed |= EnsureSqlNetItem(lines, s.Name, s.Item);
    return changed;
}

// The setting's line: the first whose text before its first "=" is the name.
std::size_t SettingLine(const Lines& lines, const char* name) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t eq = lines[i].find('=');
        if (eq != std::string::npos && SameText(std::string_view(lines[i]).substr(0, eq), name)) return i;
    }
    return lines.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Lines old = SplitLines(AnsiToUtf8(std::string(reinterpret_cast<const char*>(data), size)));
    Lines once = old;
    const bool changed = Apply(once);
    if (!changed && once != old) Fault("lines changed without a change reported");

    Lines twice = once;
    if (Apply(twice) || twice != once) Fault("a second apply changes the file", twice.back());

    std::vector<std::size_t> own;
    for (const Setting& s : kSettings) own.push_back(SettingLine(old, s.Name));
    if (once.size() < old.size() || once.size() > old.size() + 2) Fault("lines lost or too many added");
    for (std::size_t i = 0; i < old.size(); ++i)
        if (i != own[0] && i != own[1] && once[i] != old[i]) Fault("another line changed", old[i]);
    for (std::size_t i = old.size(); i < once.size(); ++i) {
        const bool ofSetting = once[i].rfind(std::string(kSettings[0].Name) + "=", 0) == 0 ||
                               once[i].rfind(std::string(kSettings[1].Name) + "=", 0) == 0;
        if (!ofSetting) Fault("an added line is no setting", once[i]);
    }
    return 0;
}
