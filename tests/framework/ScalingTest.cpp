// Forms scaled to the screen's resolution as their windows are made, opting out, fonts in
// pixels and in points, and the rescaling when a window comes to a monitor of another
// resolution. The harness runs this suite at 96, 144 and 192 pixels per inch.
#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "support/DisplayScale.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <memory>

namespace {

RECT PlaceInParent(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// A form built in code the way the program builds its own: sizes in design pixels, some
// controls placed before the window exists and some after.
struct SampleForm {
    TObjectPtr<TForm> Form;
    TLabel* Label;
    TComboBox* List;
    TTrackBar* Bar;
    TStatusBar* Status;

    explicit SampleForm(bool scaled) : Form(new TForm(nullptr))
    {
        Form->SetScaled(scaled);
        Form->SetBorderStyle(bsSingle);
        Form->SetClientWidth(320);
        Form->SetClientHeight(100);
        Form->GetFont()->SetHeight(-12);
        Label = new TLabel(Form.get());
        Label->SetBounds(8, 8, 100, 12);
        Label->SetParent(Form.get());
        Form->HandleNeeded();
        List = new TComboBox(Form.get());
        List->SetStyle(csDropDownList);
        List->SetBounds(8, 24, 120, 20);
        List->SetItemHeight(12);
        List->SetParent(Form.get());
        Bar = new TTrackBar(Form.get());
        Bar->SetBounds(8, 48, 120, 30);
        Bar->SetThumbLength(10);
        Bar->SetParent(Form.get());
        Status = new TStatusBar(Form.get());
        Status->AddPanel("a", 70);
        Status->AddPanel("b", 50);
        Status->SetBounds(0, 81, 200, 19);
        Status->SetParent(Form.get());
    }

    // Every pixel size of the form, each expected at design × scale.
    void Expect(int m, int d) const
    {
        auto scaledNear = [&](int design, int actual, const char* what) {
            EXPECT_NEAR(MulDiv(design, m, d), actual, m == d ? 0 : 1) << what;
        };
        RECT client;
        GetClientRect(Form->GetHandle(), &client);
        scaledNear(320, client.right, "client width");
        scaledNear(100, client.bottom, "client height");
        scaledNear(-12, Form->GetFont()->GetHeight(), "form font");
        scaledNear(-12, Label->GetFont()->GetHeight(), "label font");
        struct Placed {
            TWinControl* Control;
            RECT Design;  // left, top, width, height
        };
        for (const Placed& p : {Placed{Label, {8, 8, 100, 12}}, Placed{List, {8, 24, 120, 20}},
                                Placed{Bar, {8, 48, 120, 30}}, Placed{Status, {0, 81, 200, 19}}}) {
            SCOPED_TRACE(p.Control->ClassName());
            const RECT r = PlaceInParent(p.Control->GetHandle());
            scaledNear(p.Design.left, r.left, "left");
            scaledNear(p.Design.top, r.top, "top");
            scaledNear(p.Design.right, r.right - r.left, "width");
            scaledNear(p.Design.bottom, r.bottom - r.top, "height");
            EXPECT_EQ(m * DesignPixelsPerInch / d, p.Control->GetPixelsPerInch());
        }
        scaledNear(12, List->GetItemHeight(), "item height");
        scaledNear(10, static_cast<int>(SendMessageA(Bar->GetHandle(), TBM_GETTHUMBLENGTH, 0, 0)), "thumb");
        int edges[2] = {};
        SendMessageA(Status->GetHandle(), SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges));
        scaledNear(70, edges[0], "first panel");
    }
};

TEST(ScalingTest, AFormIsScaledToTheScreenAsItIsBuiltUnlessItOptsOut)
{
    for (bool scaled : {true, false}) {
        SCOPED_TRACE(scaled ? "scaled" : "not scaled");
        SampleForm sample(scaled);
        sample.Expect(scaled ? ScreenPixelsPerInch() : DesignPixelsPerInch, DesignPixelsPerInch);
    }
}

TEST(ScalingTest, FontsInPixelsAreScaledFontsInPointsFollowTheScreenOnce)
{
    TObjectPtr<TForm> form(new TForm(nullptr));
    auto* pixels = new TLabel(form.get());
    pixels->GetFont()->SetHeight(-12);
    pixels->SetParent(form.get());
    auto* points = new TLabel(form.get());
    points->GetFont()->SetSize(9);
    points->SetParent(form.get());
    form->HandleNeeded();
    EXPECT_EQ(Scaled(-12), pixels->GetFont()->GetHeight());
    EXPECT_EQ(-MulDiv(9, ScreenPixelsPerInch(), 72), points->GetFont()->GetHeight());
    EXPECT_EQ(9, points->GetFont()->GetSize());

    // A font made at the design resolution and given to a scaled control is scaled on the way in.
    TFont design;
    design.SetHeight(-12);
    pixels->SetFont(&design);
    EXPECT_EQ(Scaled(-12), pixels->GetFont()->GetHeight());
    EXPECT_EQ(-12, design.GetHeight());
}

TEST(ScalingTest, MovingToAMonitorOfAnotherResolutionRescalesAndTakesTheSuggestedPlace)
{
    SampleForm sample(true);
    // A label whose text runs wider than its box: widened for its font at the larger
    // resolution, it has the box it had here again when it comes back.
    auto* wide = new TLabel(sample.Form.get());
    wide->SetBounds(8, 84, 40, 12);
    wide->SetText("a label whose text is longer than its box");
    wide->SetParent(sample.Form.get());
    const int wideWidth = wide->GetWidth();
    const int before = ScreenPixelsPerInch();
    const int after = 2 * before;
    // Where the platform would put it: the same place, the client area twice as large.
    RECT suggested = {0, 0, 2 * sample.Form->GetClientWidth(), 2 * sample.Form->GetClientHeight()};
    AdjustWindowRectEx(&suggested, static_cast<DWORD>(GetWindowLongA(sample.Form->GetHandle(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(sample.Form->GetHandle(), GWL_EXSTYLE)));
    OffsetRect(&suggested, 300 - suggested.left, 200 - suggested.top);
    SendMessageA(sample.Form->GetHandle(), WM_DPICHANGED, MAKEWPARAM(after, after),
                 reinterpret_cast<LPARAM>(&suggested));
    sample.Expect(after, DesignPixelsPerInch);
    RECT window;
    GetWindowRect(sample.Form->GetHandle(), &window);
    EXPECT_TRUE(EqualRect(&suggested, &window));

    // And back: where one scaling from design pixels puts it, not a pixel off.
    RECT back = {0, 0, Scaled(320), Scaled(100)};
    AdjustWindowRectEx(&back, static_cast<DWORD>(GetWindowLongA(sample.Form->GetHandle(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(sample.Form->GetHandle(), GWL_EXSTYLE)));
    SendMessageA(sample.Form->GetHandle(), WM_DPICHANGED, MAKEWPARAM(before, before), reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(Scaled(320), sample.Form->GetClientWidth());
    EXPECT_EQ(Scaled(100), sample.Form->GetClientHeight());
    EXPECT_EQ(Scaled(-12), sample.Form->GetFont()->GetHeight());
    EXPECT_EQ(Scaled(10), static_cast<int>(SendMessageA(sample.Bar->GetHandle(), TBM_GETTHUMBLENGTH, 0, 0)));
    EXPECT_EQ(wideWidth, wide->GetWidth());

    // A form that opted out keeps its sizes.
    SampleForm fixed(false);
    SendMessageA(fixed.Form->GetHandle(), WM_DPICHANGED, MAKEWPARAM(after, after),
                 reinterpret_cast<LPARAM>(&suggested));
    fixed.Expect(DesignPixelsPerInch, DesignPixelsPerInch);
}

// Scaled up from design pixels and then to another resolution: where one scaling from design
// pixels lands, never the pixel two roundings can add.
TEST(ScalingTest, ASizeScaledAgainLandsWhereOneScalingFromDesignPixelsWould)
{
    int misses = 0;
    for (int from : {120, 144, 168, 192}) {
        for (int to : {96, 120, 144, 192, 216, 288}) {
            for (int design = -40; design <= 400; ++design) {
                const int got = ScalePixels(MulDiv(design, from, DesignPixelsPerInch), to, from);
                if (got != MulDiv(design, to, DesignPixelsPerInch) && ++misses < 5)
                    ADD_FAILURE() << design << " at " << from << " to " << to << ": " << got;
            }
        }
    }
    EXPECT_EQ(0, misses);
    EXPECT_EQ(150, ScalePixels(100, 144, 96));
    EXPECT_EQ(75, ScalePixels(100, 72, 96));
}

}  // namespace
