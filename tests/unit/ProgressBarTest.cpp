// The progress bar's quiet mode, on a real common control in a shown window.
#include <gtest/gtest.h>

#include "win/Controls.h"

namespace {

WNDPROC g_barProc = nullptr;
int g_paints = 0;

LRESULT CALLBACK CountingPaints(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT)
        ++g_paints;
    return CallWindowProcA(g_barProc, bar, message, wParam, lParam);
}

// A shown window holding a progress bar of 0 .. `range` with step 1, whose paints are counted.
class BarWindow {
public:
    explicit BarWindow(int range)
    {
        ProgressBar::Register();
        m_window = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 60, nullptr, nullptr,
                                   nullptr, nullptr);
        bar.Attach(CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 280, 20, m_window,
                                   nullptr, nullptr, nullptr));
        UpdateWindow(m_window);
        bar.SetRange(range);
        bar.SetStep(1);
        g_paints = 0;
        g_barProc = (WNDPROC)SetWindowLongPtrA(bar.Hwnd(), GWLP_WNDPROC, (LONG_PTR)CountingPaints);
    }
    ~BarWindow() { DestroyWindow(m_window); }
    BarWindow(const BarWindow&) = delete;
    BarWindow& operator=(const BarWindow&) = delete;

    int Position() const { return (int)SendMessageA(bar.Hwnd(), PBM_GETPOS, 0, 0); }

    ProgressBar bar;

private:
    HWND m_window = nullptr;
};

TEST(ProgressBar, QuietStepsAllCountButAreNotPaintedOneByOne)
{
    const int steps = 500;
    BarWindow window(steps);
    window.bar.SetQuiet(true);
    for (int i = 0; i < steps; ++i)
        window.bar.StepIt();
    EXPECT_EQ(window.Position(), steps);
    // Painted now and then, far from once a step: the steps take a few ms.
    EXPECT_LT(g_paints, steps / 10);

    window.bar.SetQuiet(false);
    EXPECT_TRUE(IsWindowVisible(window.bar.Hwnd()));
    const int paintsBefore = g_paints;
    window.bar.StepIt();
    EXPECT_GT(g_paints, paintsBefore) << "not painted as usual after quiet mode";
}

TEST(ProgressBar, LeavingQuietModeNeverShowsAHiddenBar)
{
    BarWindow window(10);
    window.bar.Show(false);
    window.bar.SetQuiet(false);
    EXPECT_FALSE(IsWindowVisible(window.bar.Hwnd()));
}

} // namespace
