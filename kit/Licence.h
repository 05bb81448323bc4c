// The licence step at the second "Next >": the kit's "license.txt", accepted or not.
#pragma once
#include <functional>

#include "win/LogLine.h"

// Who answers the agreement.
enum class LicenceAnswer {
    User,             // the licence dialog asks
    CommandLine,      // /ACCEPTLICENCE accepted it
    NotOnCommandLine, // an unattended run without /ACCEPTLICENCE: refused
};

// Reads the current folder's license.txt whole and has it answered; true
// when it is accepted or the kit has none. `whileReading` is called between
// the blocks of a large agreement, to keep the window drawn.
bool ShowLicence(LicenceAnswer answer, const LogLine& log, const std::function<void()>& whileReading);
