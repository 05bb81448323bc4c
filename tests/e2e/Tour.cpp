// Walks the wizard through every page, accepting everything, and saves a
// screenshot of each: how the demo shows the program without a user.
//
//   fernwick_tour <kit folder> <screenshot folder>
//
// Runs <kit folder>\fernwick.exe with the kit folder as its current folder.
#include <cstdio>

#include "App.h"

namespace e2e {
namespace {

bool Fail(const App& app, const char* what)
{
    std::fprintf(stderr, "tour: %s\n%s\n", what, app.Describe().c_str());
    return false;
}

// Answers every dialog on top of the wizard (version choice, licence, message
// boxes) with its default button.
bool AcceptDialogs(App& app)
{
    while (Window dialog = app.Dialog()) {
        const std::string kind = DialogKind(dialog);
        if (kind == "message") {
            const std::string text = app.AnswerMessageBox("");
            if (text.empty())
                return false;
            std::printf("  message box answered: %s\n", text.c_str());
        } else {
            if (!app.AnswerDialog(""))
                return false;
            std::printf("  %s accepted\n", kind.c_str());
        }
    }
    return true;
}

bool Tour(App& app)
{
    if (!app.WaitForWizard())
        return Fail(app, "the wizard did not appear");
    std::printf("start page\n");
    if (!app.Step("", [&] { app.Control(IDC_ABOUT).Click(); }) || !app.Dialog() || !app.AnswerDialog(""))
        return Fail(app, "the About box did not come and go");
    std::printf("  about box closed\n");

    for (const char* page : {"summary", "ready", "finished"}) {
        if (app.IsFinalPage())
            break;
        // Named once settled: a failure may end the wizard early.
        if (!app.Step("", [&] { app.Control(IDC_NEXT).Click(); }) || !AcceptDialogs(app))
            return Fail(app, "the wizard did not settle after \"Next >\"");
        const char* shown = app.IsFinalPage() ? "finished" : page;
        app.Shot(shown);
        std::printf("%s page\n", shown);
    }
    if (!app.IsFinalPage())
        return Fail(app, "no final page after three steps");
    std::printf("final text: %s\n", app.StatusText().c_str());

    const bool readme = app.Control(IDC_VIEW_README).CheckState() == BST_CHECKED;
    app.Control(IDOK).Click();
    if (readme) {
        Window notepad;
        if (!WaitUntil([&] { return (notepad = app.ChildWindow("readme.txt")).Exists(); }))
            return Fail(app, "Notepad did not show the readme");
        app.Shot("readme");
        std::printf("readme shown in Notepad\n");
        CloseProgramWindow(notepad);
    }
    if (!app.WaitForExit())
        return Fail(app, "the wizard did not end after \"Finish\"");
    return true;
}

} // namespace
} // namespace e2e

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fernwick_tour <kit folder> <screenshot folder>\n");
        return 2;
    }
    const std::string kit = argv[1];
    e2e::App app(kit + "\\fernwick.exe", kit, argv[2]);
    return e2e::Tour(app) ? 0 : 1;
}
