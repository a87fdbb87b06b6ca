// What a failure of a clean says, in the program's own words, spelling included: one text for
// each message box the desktop shows for it, in order. Only the two about the store as a whole
// name a folder and a reason.
#pragma once

#include <string>
#include <vector>

#include "engine/clean_reporter.h"

std::vector<std::string> CleanFailureTexts(const CleanFailureReport& report);
