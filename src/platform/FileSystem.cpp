#include "platform/FileSystem.h"

#include "base/Text.h"

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> TFileSystem::ReadLines(const std::string& path) {
    return SplitLines(AnsiToUtf8(ReadBytes(path)));
}

void TFileSystem::WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    WriteBytes(path, Utf8ToAnsi(JoinLinesCrLf(lines)));
}
