#pragma once
// Files as the program uses them. Every failure raises Exception naming the
// path and the system's reason.
#include <string>
#include <vector>

class TFileSystem {
public:
    virtual ~TFileSystem() = default;

    // True for an existing file, false for a folder or nothing.
    virtual bool FileExists(const std::string& path) = 0;
    // As FileExists where "cannot tell" must not pass for "absent": false
    // only when the system says the file or its folder does not exist (or
    // the path is a folder). Any other failure to look (access denied, a
    // share offline, a sharing violation) raises Exception naming the path
    // and the system's reason.
    virtual bool FileExistsChecked(const std::string& path) = 0;

    // Raw bytes, no conversion.
    virtual std::string ReadBytes(const std::string& path) = 0;
    // Replaces the file atomically: a temporary file beside the target is
    // written and renamed over it, so a failed write leaves the old file.
    virtual void WriteBytes(const std::string& path, const std::string& bytes) = 0;

    // Text in the ANSI code page as UTF-8 lines; CR, LF and CRLF end a line,
    // and a last line without an end still counts.
    std::vector<std::string> ReadLines(const std::string& path);
    // UTF-8 lines written in the ANSI code page, CR LF after every line.
    void WriteLines(const std::string& path, const std::vector<std::string>& lines);
};

// The line rules, shared by every implementation.
std::vector<std::string> SplitLines(const std::string& text);
std::string JoinLinesCrLf(const std::vector<std::string>& lines);
