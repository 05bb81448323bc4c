// FrontPage 2003's folder names: the candidates, each with its source.
#include "frontpage/Folders2003.h"

#include "win/FileSystem.h"

namespace {

// The names FrontPage 2003 may read, by kind: its own first, the earlier
// versions' last. The one that exists wins; without one, the last.
const struct {
    Kind2003 kind;
    const char* name;
} kCandidates[] = {
    // Named for Office 2003's version, 11, as its program folder OFFICE11 is;
    // no public source shows FrontPage 2003 reading it.
    {Kind2003::Themes, "Themes11"},
    // FrontPage 2000, 2002 and 2003 install their themes in Microsoft
    // Shared\Themes (Microsoft Knowledge Base article 295409).
    {Kind2003::Themes, "themes"},
    // As "Themes11": named for version 11, not shown by a public source.
    {Kind2003::Pages, "Pages11"},
    // The page templates folder of FrontPage 2000 and 2002 (templates\<LCID>\pages).
    {Kind2003::Pages, "pages"},
};

} // namespace

std::string Folder2003(Kind2003 kind, const std::string& parent)
{
    std::string folder;
    for (const auto& candidate : kCandidates) {
        if (candidate.kind != kind)
            continue;
        folder = parent + "\\" + candidate.name;
        if (FolderExists(folder))
            break;
    }
    return folder;
}
