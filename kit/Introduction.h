// The introduction on the wizard's first page: the head of the kit's "intro.txt".
#pragma once
#include <string>

// The first lines of the current folder's intro.txt, then the wizard's own introduction.
std::string ReadIntroduction();
