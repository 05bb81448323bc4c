// Thin wrappers over the controls of a dialog. A wrapper holds an HWND it does not own.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

class Control {
public:
    void Attach(HWND hwnd) { m_hwnd = hwnd; }
    HWND Hwnd() const { return m_hwnd; }

    void Enable(bool enable) { EnableWindow(m_hwnd, enable); }
    bool IsEnabled() const { return IsWindowEnabled(m_hwnd); }
    void Show(bool show) { ShowWindow(m_hwnd, show ? SW_SHOW : SW_HIDE); }
    void SetText(const std::string& text);
    std::string GetText() const;

protected:
    HWND m_hwnd = nullptr;
};

class Button : public Control {
public:
    int GetCheck() const { return (int)SendMessageW(m_hwnd, BM_GETCHECK, 0, 0); }
    void SetCheck(int state) { SendMessageW(m_hwnd, BM_SETCHECK, state, 0); }
    // Turns the push button into the default button or back into an ordinary one.
    void SetDefault(bool isDefault);
};

class Static : public Control {
public:
    // Replaces the text of a line that tells what the window is doing:
    // screen readers are told, and `labelled`, the control it labels (a
    // progress bar), is named by it for them.
    void SetStatus(const std::string& text, HWND labelled);
};

class Edit : public Control {
public:
    // Puts `text` into the box piece by piece, with no limit on its length,
    // and calls `betweenPieces` after each: a long text takes a while, and the
    // caller may keep its windows drawn meanwhile. Shows the text's start.
    void SetLongText(const std::string& text, const std::function<void()>& betweenPieces);
};

class ProgressBar : public Control {
public:
    // Registers the progress bar's window class, which dialogs need before one
    // holding a bar is created. Loads the common-controls library by name once
    // the library search is restricted, so that the manifest's side-by-side
    // version is taken, and never a copy lying beside the program.
    static void Register();

    void SetRange(int upper) { SendMessageW(m_hwnd, PBM_SETRANGE32, 0, upper); }
    void SetStep(int step);
    void SetPos(int pos) { SendMessageW(m_hwnd, PBM_SETPOS, pos, 0); }
    // PBM_STEPIT: the control repaints at once after each step. While quiet,
    // steps are gathered instead, and the bar moves by them ten times a second.
    void StepIt();
    // For many quick steps, each cheaper than a repaint. Leaving quiet mode
    // moves the bar by the steps still gathered, so it shows them all. While
    // quiet, the bar stops at the end of its range instead of starting again.
    void SetQuiet(bool quiet);
    // Follows work that reports `done` of `total` steps, one step at a time
    // from 0: at 0 the range becomes `total` and the bar goes quiet. The
    // caller leaves quiet mode when the work ends.
    void FollowSteps(int done, int total);

private:
    void MoveByGathered();

    bool m_quiet = false;
    // The control's own step until SetStep changes it.
    int m_step = 10;
    int m_gathered = 0;
    DWORD m_moved = 0;
};
