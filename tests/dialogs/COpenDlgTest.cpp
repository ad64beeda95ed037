// The customizable open and save dialogs on the platform's real file dialogs: which customizer
// each look gets, when the customizing starts, and the layout with a sub form.
#include "TestDialog.h"

#include "dialogs/COpenDlg.h"
#include "framework/DesignRegistry.h"
#include "support/FileDialogDriver.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace TestDialogs;

namespace {

// Sets NewStyleControls for one test and puts it back.
struct LookScope {
    bool Saved = NewStyleControls;
    explicit LookScope(bool newStyle) { NewStyleControls = newStyle; }
    ~LookScope() { NewStyleControls = Saved; }
};

enum class Look { Sizing, Fixed, Old };

void SetLook(TOpenDialog& dialog, Look look)
{
    TOpenOptions options = dialog.GetOptions();
    if (look == Look::Fixed)
        options.Exclude(ofEnableSizing);
    if (look == Look::Old)
        options.Include(ofOldStyleDialog);
    dialog.SetOptions(options);
}

const char* KindOf(TDialogCustomizer* customizer)
{
    if (customizer == nullptr)
        return "none";
    if (dynamic_cast<TFixedOldOpenDialogCustomizer*>(customizer) != nullptr)
        return "old";
    if (dynamic_cast<TFixedOpenDialogCustomizer*>(customizer) != nullptr)
        return "fixed";
    if (dynamic_cast<TSizingDialogCustomizer*>(customizer) != nullptr)
        return "sizing";
    return "other";
}

std::unique_ptr<TCOpenDialog> NewDialog(bool save)
{
    if (save)
        return std::make_unique<TCSaveDialog>(nullptr);
    return std::make_unique<TCOpenDialog>(nullptr);
}

AnsiString TextOf(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// Records the order of the component's notifications, and in DoShow checks that a
// show-window message arriving while the start is pending starts nothing in the Explorer look.
class OrderProbe : public TCOpenDialog {
public:
    using TCOpenDialog::TCOpenDialog;
    std::vector<std::string> Log;

    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_SHOWWINDOW)
            Log.push_back("WM_SHOWWINDOW");
        TCOpenDialog::Dispatch(message);
    }

protected:
    void DoShow() override
    {
        TCOpenDialog::DoShow();
        Log.push_back("DoShow");
        if (NewStyleControls && !GetOptions().Contains(ofOldStyleDialog)) {
            SendMessageA(GetHandle(), WM_SHOWWINDOW, TRUE, 0);
            Log.push_back(GetStartPending() ? "still pending" : "started");
        }
    }
};

}  // namespace

TEST(OpenDialogTest, EachLookGetsItsCustomizerInBothDialogs)
{
    const struct {
        bool NewStyle, Old, Sizing;
        const char* Kind;
    } table[] = {
        {true, false, true, "sizing"}, {true, false, false, "fixed"}, {true, true, true, "old"},
        {true, true, false, "old"},    {false, true, true, "old"},    {false, true, false, "old"},
        {false, false, true, "none"},  {false, false, false, "none"},
    };
    AnsiString titles[2];
    for (bool save : {false, true}) {
        for (const auto& row : table) {
            SCOPED_TRACE(testing::Message() << (save ? "save" : "open") << " new style " << row.NewStyle << " old "
                                            << row.Old << " sizing " << row.Sizing);
            LookScope scope(row.NewStyle);
            auto dialog = NewDialog(save);
            TOpenOptions options;
            if (row.Old)
                options.Include(ofOldStyleDialog);
            if (row.Sizing)
                options.Include(ofEnableSizing);
            dialog->SetOptions(options);
            int shown = 0;
            dialog->SetOnShowWindow([&](TObject*) { ++shown; });
            std::string kind;
            bool handedDialog = false;
            FileDialogDriver driver;
            driver.Run(*dialog, {[&](HWND window) {
                kind = KindOf(dialog->GetCustomizer());
                handedDialog = dialog->GetDlgsUnit()->GetHandle() == window;
                if (row.NewStyle && !row.Old)
                    titles[save] = TextOf(window);
                FileDialogDriver::Cancel(window);
            }});
            EXPECT_FALSE(driver.Stalled);
            EXPECT_EQ(row.Kind, kind);
            EXPECT_EQ(kind != "none", handedDialog);
            EXPECT_EQ(kind != "none" ? 1 : 0, shown);
            EXPECT_EQ(nullptr, dialog->GetCustomizer());
        }
    }
    // The save dialog is the platform's other dialog.
    EXPECT_NE(titles[0], titles[1]);
}

TEST(OpenDialogTest, CustomizingStartsOnceAfterTheFrameworkPlacedTheDialog)
{
    TempFolder folder;
    CreateDirectoryA(folder.Path("sub").c_str(), nullptr);
    for (bool old : {false, true}) {
        SCOPED_TRACE(old ? "old look" : "Explorer look");
        OrderProbe dialog(nullptr);
        SetLook(dialog, old ? Look::Old : Look::Sizing);
        dialog.SetInitialDir(folder.Path(""));
        dialog.OnShow = [&](TObject*) { dialog.Log.push_back("OnShow"); };
        dialog.OnFolderChange = [&](TObject*) { dialog.Log.push_back("OnFolderChange"); };
        // A place of its own: the framework's placing would put the dialog elsewhere.
        dialog.GetDlgsUnit()->SetPosition({37, 41});
        RECT placed = {};
        dialog.SetOnShowWindow([&](TObject*) {
            dialog.Log.push_back("OnShowWindow");
            GetWindowRect(dialog.GetDlgsUnit()->GetHandle(), &placed);
        });
        FileDialogDriver driver;
        driver.Run(dialog, {[&](HWND window) {
                                dialog.Log.push_back("-");
                                // Another folder (Explorer look) or show-window message (both).
                                if (!old)
                                    FileDialogDriver::TypeAndConfirm(window, "sub");
                                SendMessageA(dialog.GetHandle(), WM_SHOWWINDOW, TRUE, 0);
                            },
                            [](HWND window) { FileDialogDriver::Cancel(window); }});
        EXPECT_FALSE(driver.Stalled);
        EXPECT_EQ(37, placed.left);
        EXPECT_EQ(41, placed.top);
        // What comes between the first lines and "-" is the platform's; only our marks count.
        std::vector<std::string> marks;
        for (const std::string& entry : dialog.Log) {
            if (entry != "WM_SHOWWINDOW" || old)
                marks.push_back(entry);
        }
        std::vector<std::string> want;
        if (old)
            want = {"OnShow", "DoShow", "WM_SHOWWINDOW", "OnShowWindow", "-", "WM_SHOWWINDOW"};
        else
            want = {"OnShow", "DoShow", "still pending", "OnShowWindow", "OnFolderChange", "-", "OnFolderChange"};
        EXPECT_EQ(want, marks);
    }
}
