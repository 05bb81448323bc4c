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

// A shown window holding a progress bar of 0 .. `range`, whose paints are counted.
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

TEST(ProgressBar, QuietStepsAreShownAllTogetherWhenQuietModeEnds)
{
    const int steps = 500;
    BarWindow window(steps + 1);
    window.bar.SetStep(1);
    window.bar.SetQuiet(true);
    for (int i = 0; i < steps; ++i)
        window.bar.StepIt();
    window.bar.SetQuiet(false);
    EXPECT_EQ(window.Position(), steps);
    // Moved now and then, far from once a step: the steps take a few ms.
    EXPECT_LT(g_paints, steps / 10);

    const int paints = g_paints;
    window.bar.StepIt();
    EXPECT_EQ(window.Position(), steps + 1);
    EXPECT_GT(g_paints, paints) << "a step after quiet mode is not painted at once";
}

TEST(ProgressBar, QuietStepsHaveTheBarsStepSize)
{
    const struct {
        int step; // 0: the control's own
        int steps;
        int position;
    } cases[] = {
        {0, 4, 40},
        {1, 7, 7},
        {3, 5, 15},
    };
    for (const auto& c : cases) {
        BarWindow window(100);
        if (c.step)
            window.bar.SetStep(c.step);
        window.bar.SetQuiet(true);
        for (int i = 0; i < c.steps; ++i)
            window.bar.StepIt();
        window.bar.SetQuiet(false);
        EXPECT_EQ(window.Position(), c.position) << "step " << c.step;
    }
}

// A kit of more files than a 16-bit range holds keeps its whole count as the
// range, and the first step of the copy moves the bar by one.
TEST(ProgressBar, RangeAboveSixteenBitsIsKeptWhole)
{
    for (int total : {65535, 65536, 65537, 1000000}) {
        BarWindow window(1);
        window.bar.FollowSteps(0, total);
        window.bar.FollowSteps(1, total);
        window.bar.SetQuiet(false);
        EXPECT_EQ(total, (int)SendMessageA(window.bar.Hwnd(), PBM_GETRANGE, FALSE, 0)) << total;
        EXPECT_EQ(1, window.Position()) << total;
    }
}

} // namespace
