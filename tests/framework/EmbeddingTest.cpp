// What the dialog library needs of the framework: a form put into a foreign window and
// back, live border changes, monitors, icons, lists.
#include "framework/Application.h"
#include "framework/FormEmbedding.h"
#include "framework/Icon.h"
#include "framework/Lists.h"
#include "framework/Screen.h"

#include <gtest/gtest.h>

namespace {

TEST(FormEmbeddingTest, ParentWindowMakesAFormAChildAndBackAgain)
{
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 100, 100, 400, 300, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    auto formOwned = MakeObject<TForm>(nullptr);
    TForm& form = *formOwned;
    form.SetClientWidth(200);
    form.SetClientHeight(100);
    form.HandleNeeded();
    HWND window = form.GetHandle();
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_THICKFRAME);

    form.SetBorderStyle(bsNone);
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_CAPTION));
    EXPECT_EQ(bsNone, form.GetBorderStyle());

    HWND hostControl = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE, 20, 30, 60, 20, host, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    form.SetParentWindow(host);
    EXPECT_EQ(host, form.GetParentWindow());
    EXPECT_EQ(host, GetParent(window));
    // It moves in under the host's own controls.
    EXPECT_EQ(hostControl, GetWindow(window, GW_HWNDPREV));
    style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_POPUP);
    form.SetBounds(10, 20, 200, 100);
    EXPECT_EQ(10, form.GetLeft());  // in the host's client coordinates
    EXPECT_EQ(20, form.GetTop());
    RECT bounds = form.GetBoundsRect();
    EXPECT_EQ(210, bounds.right);

    form.SetParentWindow(nullptr);
    form.SetBorderStyle(bsDialog);
    style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_FALSE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_NE(host, GetParent(window));
    DestroyWindow(host);
}

TEST(FormEmbeddingTest, WindowStateIsKeptWhileHidden)
{
    auto formOwned = MakeObject<TForm>(nullptr);
    TForm& form = *formOwned;
    form.HandleNeeded();
    EXPECT_EQ(wsNormal, form.GetWindowState());
    // A hidden form keeps the state for when it is shown, and is not shown for it.
    form.SetWindowState(wsMaximized);
    EXPECT_EQ(wsMaximized, form.GetWindowState());
    EXPECT_FALSE(IsWindowVisible(form.GetHandle()));
    form.SetWindowState(wsNormal);
    EXPECT_EQ(wsNormal, form.GetWindowState());
    EXPECT_FALSE(IsZoomed(form.GetHandle()));
    EXPECT_FALSE(IsWindowVisible(form.GetHandle()));
}

// Taken into a host and given back, a form has again what it had: shown or hidden, its own top-level
// window with its border, its bounds and its window state.
TEST(FormEmbeddingTest, AFormGivenBackIsAsItWasShownOrHidden)
{
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    const struct {
        bool Visible;
        TWindowState State;
    } rows[] = {{true, wsNormal}, {false, wsNormal}, {true, wsMaximized}, {false, wsMaximized}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "visible " << row.Visible << ", state " << int(row.State));
        auto form = MakeObject<TForm>(nullptr);
        form->SetBounds(30, 40, 220, 130);
        form->HandleNeeded();
        form->SetWindowState(row.State);
        form->SetVisible(row.Visible);
        form->SetWindowState(row.State);
        const RECT bounds = form->GetBoundsRect();
        TFormEmbedding embedding;
        embedding.Take(*form, form->GetPixelsPerInch());
        EXPECT_FALSE(IsWindowVisible(form->GetHandle()));
        TFormEmbedding::PutInto(*form, host);
        form->SetVisible(true);
        EXPECT_EQ(host, GetParent(form->GetHandle()));
        embedding.GiveBack(*form);
        EXPECT_EQ(row.Visible, form->GetVisible());
        EXPECT_EQ(row.Visible, IsWindowVisible(form->GetHandle()) != FALSE);
        EXPECT_EQ(nullptr, GetParent(form->GetHandle()));
        EXPECT_FALSE(GetWindowLongA(form->GetHandle(), GWL_STYLE) & WS_CHILD);
        EXPECT_EQ(bsSizeable, form->GetBorderStyle());
        EXPECT_EQ(row.State, form->GetWindowState());
        if (row.State == wsNormal) {
            const RECT now = form->GetBoundsRect();
            EXPECT_TRUE(EqualRect(&bounds, &now));
        }
    }
    DestroyWindow(host);
}

TEST(ScreenTest, MonitorsAndAFormsMonitor)
{
    ASSERT_GE(Screen->MonitorCount(), 1);
    TMonitor* primary = Screen->Monitors(0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), primary->GetWidth());
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), primary->GetHeight());
    EXPECT_EQ(0, primary->GetLeft());
    EXPECT_EQ(primary, Screen->Monitors(0));  // the same object each time
    EXPECT_THROW(Screen->Monitors(Screen->MonitorCount()), Exception);
    auto formOwned = MakeObject<TForm>(nullptr);
    TForm& form = *formOwned;
    EXPECT_EQ(primary, form.GetMonitor());
    form.HandleNeeded();
    EXPECT_EQ(primary, form.GetMonitor());
}

TEST(IconTest, AssignCopiesOrEmptiesAndReportsEveryChange)
{
    int changes = 0;
    TIcon icon;
    icon.OnChange = [&](TObject* sender) {
        EXPECT_EQ(&icon, sender);
        ++changes;
    };
    EXPECT_TRUE(icon.Empty());
    TIcon source;
    source.SetHandle(CopyIcon(LoadIconA(nullptr, IDI_APPLICATION)));
    icon.Assign(&source);
    EXPECT_FALSE(icon.Empty());
    EXPECT_NE(source.GetHandle(), icon.GetHandle());  // its own copy
    EXPECT_EQ(1, changes);
    TIcon empty;
    icon.Assign(&empty);
    EXPECT_TRUE(icon.Empty());
    icon.Assign(&source);
    icon.Assign(nullptr);
    EXPECT_TRUE(icon.Empty());
    EXPECT_EQ(4, changes);
    TFont font;
    EXPECT_THROW(icon.Assign(&font), EConvertError);
}

TEST(ListTest, CountIndexAndBounds)
{
    int a = 0, b = 0;
    TList list;
    EXPECT_EQ(0, list.Add(&a));
    EXPECT_EQ(1, list.Add(&b));
    EXPECT_EQ(1, list.IndexOf(&b));
    EXPECT_EQ(&a, list.Items(0));
    list.SetCount(3);
    EXPECT_EQ(nullptr, list.Items(2));
    list.Delete(0);
    EXPECT_EQ(&b, list.Items(0));
    EXPECT_THROW(list.Items(2), Exception);
    list.SetCount(0);
    EXPECT_EQ(0, list.Count());
    EXPECT_EQ(-1, list.IndexOf(&a));
}

}  // namespace
