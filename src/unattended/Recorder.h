#pragma once
// /record: the answers of a run in the window, for /silent elsewhere.
#include <string>

#include "unattended/AnswerFile.h"

class TForm2;
class TFileSystem;

// What the form's fields hold for each key of the chosen server type.
TAnswers AnswersOf(const TForm2& form);

// Chains onto "Wykonaj": once it has brought up the status page, the
// answers go to `path` (replaced atomically), headed by `comment`. A file
// the reader would refuse is not written; that, or a failed write, raises,
// so the window's error box tells it.
void RecordAnswersOnApply(TForm2& form, TFileSystem& files, const std::string& path, const std::string& comment);
