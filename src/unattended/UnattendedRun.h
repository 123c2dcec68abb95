#pragma once
// A run without a window, judged by its exit code and its log file.
#include <string>

class TFileSystem;
class TSession;
struct TPlatform;

enum TExitCode : int {
    ExitConfigured = 0,  // the configuration was written
    ExitStopped = 1,     // the wizard or "Wykonaj" stopped on an error
    ExitWrongInput = 2,  // wrong command line or answer file: nothing written
};

// Where and when, for the log's error line.
struct TRunPlace {
    std::string Workstation;
    std::string Time;
};

// Reads and checks the whole answer file first; only then creates the form
// on `platform` and `session` (whose engine has not started) and walks it.
// The log gets the status page's lines, and every message the window would
// have shown after a line naming the workstation and the time.
int RunUnattended(TPlatform& platform, TSession& session, const std::string& answerFile, const std::string& logFile,
                  const TRunPlace& place);

// For a wrong command line: the error in `logFile`, when one is known.
int RefuseCommandLine(TFileSystem& files, const std::string& logFile, const std::string& error, const TRunPlace& place);
