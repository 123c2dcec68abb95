#pragma once
// Lengths in characters for UTF-8 text: field sizes and maximum lengths
// count characters, as the window and the ANSI original did, not bytes.
#include <string>
#include <string_view>

// The first `chars` characters; everything when chars <= 0 (no limit).
inline std::string LeftChars(std::string_view text, int chars) {
    if (chars <= 0) return std::string(text);
    int seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && seen++ == chars)
            return std::string(text.substr(0, i));
    }
    return std::string(text);
}
