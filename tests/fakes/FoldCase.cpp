#include "fakes/FoldCase.h"

namespace {

// Unicode's simple upper-case mapping of the blocks below U+0180.
char32_t Upper(char32_t c) {
    if ((c >= U'a' && c <= U'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;
    const bool odd = c & 1;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return odd ? c - 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return odd ? c : c - 1;
    return c;
}

void Append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string FoldCase(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        // Two-byte sequences reach U+07FF, past every letter folded here; the rest stays as it is.
        if ((lead & 0xE0) == 0xC0 && i + 1 < utf8.size() && (utf8[i + 1] & 0xC0) == 0x80) {
            Append(out, Upper((char32_t(lead & 0x1F) << 6) | (utf8[i + 1] & 0x3F)));
            ++i;
        } else {
            out += lead < 0x80 ? static_cast<char>(Upper(lead)) : utf8[i];
        }
    }
    return out;
}

int CompareFolded(std::string_view a, std::string_view b) { return FoldCase(a).compare(FoldCase(b)); }
