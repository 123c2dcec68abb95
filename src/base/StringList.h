#pragma once
// Ordered list of lines; doubles as a parameter list of NAME=VALUE lines
// whose names match without regard to case.
#include <string>
#include <string_view>
#include <vector>

class TStringList {
public:
    TStringList() = default;
    TStringList(std::initializer_list<std::string> lines) : lines_(lines) {}

    const std::vector<std::string>& Lines() const { return lines_; }
    std::vector<std::string>& Lines() { return lines_; }
    std::size_t Count() const { return lines_.size(); }
    const std::string& operator[](std::size_t i) const { return lines_[i]; }
    void Add(std::string line) { lines_.push_back(std::move(line)); }
    void Clear() { lines_.clear(); }
    void Assign(const TStringList& other) { lines_ = other.lines_; }
    bool operator==(const TStringList& other) const = default;

    // The part before the first '=' of line i (the whole line if there is none).
    std::string Names(std::size_t i) const;
    std::string ValueFromIndex(std::size_t i) const;
    // Index of the line whose name matches, or -1.
    int IndexOfName(std::string_view name) const;
    // Index of the line equal to s without regard to case, or -1.
    int IndexOf(std::string_view s) const;
    // Empty when absent.
    std::string Values(std::string_view name) const;
    // Replaces in place, appends when absent, removes the line when value is empty.
    void SetValue(std::string_view name, std::string_view value);

private:
    std::vector<std::string> lines_;
};
