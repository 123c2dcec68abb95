#pragma once
// The two contents the crash suite's writer alternates between. They differ
// in every line and in length, so any mix or cut of them is neither.
#include <string>

namespace crash {

inline std::string Content(char tag, std::size_t lines) {
    std::string text;
    for (std::size_t i = 0; i < lines; ++i) {
        std::string number = std::to_string(i);
        text += std::string(1, tag) + " " + std::string(8 - number.size(), '0') + number + " " + std::string(40, tag) + "\r\n";
    }
    return text;
}

// Large enough that a write takes a while, so kills land inside it.
inline const std::string& Old() {
    static const std::string text = Content('A', 50000);
    return text;
}
inline const std::string& New() {
    static const std::string text = Content('B', 70000);
    return text;
}

}  // namespace crash
