#include "kit/KitRoot.h"

const char* const g_commonFolder = "common";
