// What a kit holds to install: the scan of its roots of items.
#pragma once
#include <string>
#include <vector>

#include "kit/KitItem.h"

struct KitContents {
    std::vector<KitItem> themes;
    // Template folder names, in lower case.
    std::vector<std::string> pageTemplates;
    std::vector<std::string> webTemplates;
    std::vector<std::string> frameTemplates;
    // False after a theme descriptor could not be read: no theme after it is
    // listed, no root after its own is scanned, and the kit is refused.
    bool readable = true;
};

// The items of the kit roots `roots` (folders of the current folder, the
// kit), in their order, each root's after the one before.
KitContents ScanKit(const std::vector<std::string>& roots);
