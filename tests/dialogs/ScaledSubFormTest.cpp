// A sub form beside the platform's find and open dialogs keeps its relation to them at every
// screen resolution: it is scaled as the dialog is, and no control of the dialog lies on it.
// The harness runs this suite at 96, 144 and 192 pixels per inch.
#include "TestDialog.h"

#include "dialogs/CFindDlg.h"
#include "dialogs/COpenDlg.h"
#include "framework/StdCtrls.h"
#include "support/DisplayScale.h"
#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace TestDialogs;

namespace {

const int DesignWidth = 200;
const int DesignHeight = 160;

// A sub form of DesignWidth x DesignHeight with a label, built in design pixels.
struct SampleSubForm {
    TObjectPtr<TForm> Form;
    TLabel* Label;

    SampleSubForm() : Form(new TForm(nullptr))
    {
        Form->SetBorderStyle(bsSizeable);
        Form->SetClientWidth(DesignWidth);
        Form->SetClientHeight(DesignHeight);
        Label = new TLabel(Form.get());
        Label->SetBounds(8, 8, 100, 16);
        Label->SetParent(Form.get());
        Form->HandleNeeded();
    }
};

std::string Text(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// The sub form at the right of `dialog`: its designed width scaled, the whole client height,
// at least its designed height scaled; its label scaled with it; no visible control of the
// dialog on it.
void ExpectSubFormAtTheRight(HWND dialog, const SampleSubForm& sub)
{
    const SIZE client = ClientSize(dialog);
    const RECT got = ClientRectOfWindow(sub.Form->GetHandle());
    const RECT want = {client.cx - Scaled(DesignWidth), 0, client.cx, client.cy};
    EXPECT_TRUE(EqualRect(&want, &got)) << Text(got) << " instead of " << Text(want);
    EXPECT_GE(client.cy, Scaled(DesignHeight));
    EXPECT_EQ(Scaled(DesignWidth), sub.Form->GetClientWidth());

    RECT label;
    GetWindowRect(sub.Label->GetHandle(), &label);
    MapWindowPoints(nullptr, sub.Form->GetHandle(), reinterpret_cast<POINT*>(&label), 2);
    const RECT wantLabel = {Scaled(8), Scaled(8), Scaled(8) + Scaled(100), Scaled(8) + Scaled(16)};
    EXPECT_TRUE(EqualRect(&wantLabel, &label)) << Text(label);

    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = "";
        GetClassNameA(child, name, sizeof(name));
        const bool grip = (GetWindowLongA(child, GWL_STYLE) & SBS_SIZEGRIP) != 0 &&
                          (lstrcmpiA(name, "ScrollBar") == 0 || lstrcmpA(name, "TDialogGrip") == 0);
        // The file dialog's hook window spans the dialog without drawing; size grips sit in the corner.
        if (child == sub.Form->GetHandle() || grip || lstrcmpA(name, "#32770") == 0 || !IsWindowVisible(child))
            continue;
        const RECT control = ClientRectOfWindow(child);
        RECT overlap;
        EXPECT_FALSE(IntersectRect(&overlap, &control, &got))
            << name << " " << GetDlgCtrlID(child) << " at " << Text(control) << " lies on the sub form " << Text(got);
    }
}

}  // namespace

TEST(ScaledSubFormTest, FindDialogTakesTheSubFormScaledAsItIs)
{
    SampleSubForm sub;
    auto dialogOwned = MakeObject<TCFindDialog>(nullptr);
    TCFindDialog& dialog = *dialogOwned;
    dialog.SetSubForm(sub.Form.get());
    dialog.SetSubFormPos(fpRight);
    ASSERT_TRUE(dialog.Execute());
    HWND window = dialog.GetHandle();
    SCOPED_TRACE("find");
    ExpectSubFormAtTheRight(window, sub);
    // Taller than the dialog's own controls: the dialog takes the sub form's scaled height.
    EXPECT_EQ(Scaled(DesignHeight), ClientSize(window).cy);
    dialog.CloseDialog();
}

TEST(ScaledSubFormTest, OpenDialogTakesTheSubFormScaledAsItIs)
{
    TempFolder folder;
    SampleSubForm sub;
    auto dialogOwned = MakeObject<TCOpenDialog>(nullptr);
    TCOpenDialog& dialog = *dialogOwned;
    // The look whose controls the library lays out itself; in the resizable look the platform
    // lays them out again over the whole window when it is resized.
    dialog.SetOptions(dialog.GetOptions().Exclude(ofEnableSizing));
    dialog.SetInitialDir(folder.Path(""));
    dialog.SetSubForm(sub.Form.get());
    dialog.SetSubFormPos(fpRight);
    FileDialogDriver driver;
    driver.Run(dialog, {[&](HWND window) {
                   SCOPED_TRACE("open");
                   ExpectSubFormAtTheRight(window, sub);
                   FileDialogDriver::Cancel(window);
               }});
    EXPECT_FALSE(driver.Stalled);
}
