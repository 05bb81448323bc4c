// Kits for the benchmark: many files in nested item folders, the same kit for
// the same size every time.
#pragma once
#include <string>

namespace bench {

const int kMinFiles = 8;

// Writes a kit of exactly `files` files below `folder`: an introduction, and
// item folders spread over the eight trees that the wizard copies (the four
// kinds of "fp98" and of "common"), each item nested three levels deep, file
// sizes from 4 bytes to 64 KiB. The introduction is not one of the `files`.
// Every tree has files when `files` is at least kMinFiles.
// False when a file or folder could not be written.
bool MakeKit(const std::string& folder, int files);

// Names the kit in `folder` `name` (the first line of its introduction): a
// kit of another name installs with a journal of its own. False when the
// introduction could not be written.
bool NameKit(const std::string& folder, const std::string& name);

} // namespace bench
