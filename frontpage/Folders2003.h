// The folders FrontPage 2003 reads themes and page templates from, whose
// names no public source settles: of the names it may use, the folder that
// exists on the machine; the earlier versions' name when none exists.
#pragma once
#include <string>

enum class Kind2003 { Themes, Pages };

// The full path of FrontPage 2003's folder of `kind` in the folder `parent`
// ("<Common Files>\Microsoft Shared" for themes, a template language folder
// for page templates).
std::string Folder2003(Kind2003 kind, const std::string& parent);
