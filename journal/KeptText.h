// What the user is told of the files a walk back left as they are: the undo
// of an installation and the removal of a kit tell it alike.
#pragma once
#include <string>

#include "journal/TakeBack.h"
#include "win/MessageBox.h"

// What a box tells of the files a walk back left as they are: the changed
// ones kept (the first few named, all counted), where what they replaced
// went (the kept originals' folder beside `dataFolder`), and the ones whose
// original could not be put back. Empty when there are none.
MessageText KeptText(const KeptFiles& kept, const std::string& dataFolder);
