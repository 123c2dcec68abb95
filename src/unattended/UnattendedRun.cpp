#include "unattended/UnattendedRun.h"

#include <exception>
#include <optional>
#include <vector>

#include "base/Exception.h"
#include "base/Text.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "ui/Forms.h"
#include "unattended/AnswerFile.h"
#include "unattended/FormWalk.h"
#include "wizard/Unit2.h"

namespace {

std::vector<std::string> ErrorLines(const TRunPlace& place, const std::vector<std::string>& messages) {
    std::vector<std::string> lines = {Format("Błąd na stanowisku %s, %s:", {place.Workstation, place.Time})};
    lines.insert(lines.end(), messages.begin(), messages.end());
    return lines;
}

// UTF-8 with a byte order mark: the log names paths and workstations in
// any script. A log that cannot be written leaves only the exit code.
void WriteLog(TFileSystem& files, const std::string& path, const std::vector<std::string>& lines) {
    if (path.empty()) return;
    try {
        files.WriteBytes(path, "\xEF\xBB\xBF" + JoinLinesCrLf(lines));
    } catch (const std::exception&) {
    }
}

}  // namespace

int RefuseCommandLine(TFileSystem& files, const std::string& logFile, const std::string& error,
                      const TRunPlace& place) {
    WriteLog(files, logFile, ErrorLines(place, {TApplication::ErrorBoxText(error)}));
    return ExitWrongInput;
}

int RunUnattended(TPlatform& platform, TSession& session, const std::string& answerFile, const std::string& logFile,
                  const TRunPlace& place) {
    std::optional<TAnswers> answers;
    try {
        answers = ReadAnswerFile(platform.Files.ReadBytes(answerFile), answerFile);
    } catch (const std::exception& wrong) {
        return RefuseCommandLine(platform.Files, logFile, wrong.what(), place);
    }

    TMessageLog shown;
    TApplication application;
    application.SetTitle("Konfiguracja BDE");
    application.SetMessageBoxView(&shown);
    bool configured = false;
    std::vector<std::string> log;
    try {
        TForm2 form(platform, session, application);
        configured = WalkForm(form, *answers, shown);
        log = form.MemoStatus.Lines().ToVector();
    } catch (...) {
        application.HandleException(std::current_exception());
    }
    if (!configured) {
        const std::vector<std::string> error = ErrorLines(place, shown.Messages);
        log.insert(log.end(), error.begin(), error.end());
    }
    WriteLog(platform.Files, logFile, log);
    return configured ? ExitConfigured : ExitStopped;
}
