#pragma once
// The wizard walked without a window, as a user would walk it: the answer
// file's values go into the same controls, the same show handlers and
// "Dalej >" checks run, then the same "Wykonaj".
#include <string>
#include <vector>

#include "ui/Forms.h"

class TForm2;
class TAnswers;

// The message box of a run without a window: what it would show is kept
// for the log.
class TMessageLog : public TMessageBoxView {
public:
    void ShowError(const std::string&, const std::string& text) override { Messages.push_back(text); }
    std::vector<std::string> Messages;
};

// Shows the form and walks its pages; true when "Wykonaj" brought up the
// status page. The walk ends at the first message the form shows through
// `shown`, the application's message box view.
bool WalkForm(TForm2& form, const TAnswers& answers, const TMessageLog& shown);
