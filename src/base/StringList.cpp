#include "base/StringList.h"

#include "base/Text.h"

std::string TStringList::Names(std::size_t i) const {
    const std::string& line = lines_.at(i);
    const auto eq = line.find('=');
    return eq == std::string::npos ? line : line.substr(0, eq);
}

std::string TStringList::ValueFromIndex(std::size_t i) const {
    const std::string& line = lines_.at(i);
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

int TStringList::IndexOfName(std::string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto eq = lines_[i].find('=');
        if (eq != std::string::npos && SameText(std::string_view(lines_[i]).substr(0, eq), name))
            return static_cast<int>(i);
    }
    return -1;
}

int TStringList::IndexOf(std::string_view s) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (SameText(lines_[i], s)) return static_cast<int>(i);
    return -1;
}

std::string TStringList::Values(std::string_view name) const {
    const int i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(static_cast<std::size_t>(i));
}

void TStringList::SetValue(std::string_view name, std::string_view value) {
    const int i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) lines_.erase(lines_.begin() + i);
        return;
    }
    std::string line = std::string(name) + "=" + std::string(value);
    if (i >= 0)
        lines_[static_cast<std::size_t>(i)] = std::move(line);
    else
        lines_.push_back(std::move(line));
}
