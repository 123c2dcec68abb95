#pragma once
// The program's switches. Without any the wizard opens as it always has.
#include <string>
#include <vector>

struct TCommandLine {
    enum TMode {
        Window,  // no switches; or /record FILE: the window, and the answers recorded
        Usage,   // /?
        Silent,  // /silent FILE [/log LOGFILE]: no window
        Wrong,   // anything else: Error says what; LogFile may be known
    };
    TMode Mode = Window;
    std::string AnswerFile;  // /silent's file to read, or /record's to write
    std::string LogFile;
    std::string Error;
};

// The arguments after the program's name. Switches begin with "/" or "-",
// in any letter case, as Windows tools take them.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// KonfiguracjaBDE.log in the answer file's folder.
std::string DefaultLogPath(const std::string& answerFile);

// What /? shows.
extern const char* const UsageText;
