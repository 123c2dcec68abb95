#include "fakes/FoldCase.h"

namespace {

// Unicode's simple upper-case mapping below U+0180 (ASCII, Latin-1, Latin Extended-A).
char32_t Upper(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~1u;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    return c;
}

}  // namespace

std::string FoldCase(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if ((lead & 0xE0) != 0xC0 || i + 1 == utf8.size()) {
            out += static_cast<char>(lead < 0x80 ? Upper(lead) : lead);
            continue;
        }
        // Two bytes reach U+07FF, past every letter folded here, and the upper case stays in two.
        const char32_t c = Upper((char32_t(lead & 0x1F) << 6) | (utf8[++i] & 0x3F));
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

int CompareFolded(std::string_view a, std::string_view b) { return FoldCase(a).compare(FoldCase(b)); }
