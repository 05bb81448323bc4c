// Where work that knows no log file tells what it does: one line (several
// when it holds line feeds) at a time.
#pragma once
#include <functional>
#include <string>

using LogLine = std::function<void(const std::string& line)>;
