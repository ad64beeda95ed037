#include "app/Mainform.h"

#include "app/Engine.h"
#include "app/InputPort.h"
#include "app/SettingsFile.h"

TMForm* MForm = nullptr;

namespace {
const char* const WindowFontName = "ＭＳ Ｐゴシック";
constexpr int WindowFontHeight = -12;

// The notice at the foot of the window and the page it opens.
const char* const SiteNotice = "(C) Tapstorm プロジェクト";
const char* const SiteAddress = "https://tapstorm.example/";

void SetWindowFont(TFont* font)
{
    font->SetName(WindowFontName);
    font->SetHeight(WindowFontHeight);
    font->SetCharset(SHIFTJIS_CHARSET);
    font->SetColor(clWindowText);
    font->SetStyle(0);
}
}  // namespace

TMForm::TMForm(TComponent* owner) : TForm(owner)
{
    MForm = this;
    SetName("MForm");

    // 1. The window and its controls.
    SetCaption("Tapstorm");
    SetBorderStyle(bsSingle);
    SetBorderIcons(biSystemMenu | biMinimize);
    SetPosition(poDefaultPosOnly);
    SetBounds(379, 136, GetWidth(), GetHeight());
    SetClientWidth(188);
    SetClientHeight(224);
    SetColor(clBtnFace);
    SetWindowFont(GetFont());
    HandleNeeded();
    CreateControls();

    // 2. The stored settings.
    LoadSettings();
    // 3. The pace, once, whether or not loading moved the track bar.
    ApplyPace(*this);
    // 4. The lock key.
    RegisterLockKey(GetHandle(), LockKey->GetItemIndex());

    // Only a window that was built whole stores its settings: one whose construction failed
    // half way would write what it never read.
    OnDestroy = [this](TObject* sender) { FormDestroy(sender); };
}

void TMForm::CreateControls()
{
    Label1 = PlaceControl<TLabel>(this, 8, 8, 109, 12, "", "Label1");
    Label1->SetCaption("連打するマウスボタン");

    Label2 = PlaceControl<TLabel>(this, 8, 56, 48, 12, "", "Label2");
    Label2->SetCaption("連打速度");

    Speed = PlaceControl<TLabel>(this, 104, 56, 57, 12, "", "Speed");
    // Paces of 1000 and more need more than the width "500 m-sec." takes: the label grows.
    Speed->SetAutoSize(true);
    Speed->SetCaption("500 m-sec.");

    SiteURL = PlaceControl<TLightLabel>(this, 8, 176, 172, 24, "", "SiteURL");
    SiteURL->SetCursor(crHandPoint);
    SiteURL->SetWordWrap(true);
    SiteURL->SetCaption(SiteNotice);
    SiteURL->SetJumpType(jtHome);
    SiteURL->SetJumpTo(SiteAddress);
    SiteURL->SetColor(clBtnFace);
    SiteURL->SetLightColor(clBtnFace);
    SiteURL->SetDefaultColor(clBtnFace);
    SiteURL->SetClickColor(clBtnFace);
    {
        TFont look;
        SetWindowFont(&look);
        look.SetColor(clBlue);
        SiteURL->SetFont(&look);
        SiteURL->SetDefaultFont(&look);
        look.SetStyle(fsUnderline);
        SiteURL->SetLightFont(&look);
        look.SetColor(clRed);
        look.SetStyle(0);
        SiteURL->SetClickFont(&look);
    }
    SiteURL->SetLightEnabled(true);
    SiteURL->SetDefaultEnabled(true);
    SiteURL->SetClickEnabled(true);

    Label3 = PlaceControl<TLabel>(this, 8, 112, 53, 12, "", "Label3");
    Label3->SetCaption("ロックキー");

    Renda = new TComboBox(this);
    Renda->SetName("Renda");
    Renda->SetStyle(csDropDownList);
    Renda->SetBounds(8, 24, 172, 20);
    Renda->SetItemHeight(12);
    Renda->SetItems({"左クリック", "右クリック", "マウスホイール"});
    Renda->SetParent(this);

    StatusBar1 = new TStatusBar(this);
    StatusBar1->SetName("StatusBar1");
    StatusBar1->AddPanel("Ver 1.0.0J", 70);
    StatusBar1->AddPanel("", 50);
    StatusBar1->SetBounds(0, 205, 188, 19);
    StatusBar1->SetParent(this);

    RendaSpeed = new TTrackBar(this);
    RendaSpeed->SetName("RendaSpeed");
    RendaSpeed->SetTag(1);
    RendaSpeed->SetBounds(8, 72, 172, 30);
    RendaSpeed->SetTickMarks(tmBoth);
    RendaSpeed->SetTickStyle(tsAuto);
    RendaSpeed->SetRange(1, 5000);
    RendaSpeed->SetPosition(500);
    RendaSpeed->SetPageSize(100);
    RendaSpeed->SetLineSize(1);
    RendaSpeed->SetFrequency(1000);
    RendaSpeed->SetThumbLength(10);
    RendaSpeed->SetParent(this);
    RendaSpeed->OnChange = [this](TObject* sender) { MainControl(sender); };

    LockKey = new TComboBox(this);
    LockKey->SetName("LockKey");
    LockKey->SetTag(2);
    LockKey->SetStyle(csDropDownList);
    LockKey->SetBounds(8, 128, 172, 20);
    LockKey->SetItemHeight(12);
    LockKey->SetDropDownCount(20);
    LockKey->SetItems({"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "Home", "End",
                       "PageUp", "PageDown", "ScrollLock", "Pause"});
    LockKey->SetParent(this);
    LockKey->OnChange = [this](TObject* sender) { MainControl(sender); };

    CursorLock = PlaceControl<TCheckBox>(this, 8, 152, 169, 17, "", "CursorLock");
    CursorLock->SetCaption("マウスカーソルをロックする");

    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetTag(3);
    Timer1->SetEnabled(false);
    Timer1->SetOnTimer([this](TObject* sender) { MainControl(sender); });

    Timer2 = new TTimer(this);
    Timer2->SetName("Timer2");
    Timer2->SetInterval(100);
    Timer2->SetOnTimer([this](TObject* sender) { Timer2Timer(sender); });

    Timer3 = new TTimer(this);
    Timer3->SetName("Timer3");
    Timer3->SetTag(3);
    Timer3->SetEnabled(false);
    Timer3->SetOnTimer([this](TObject* sender) { MainControl(sender); });
}

void TMForm::FormDestroy(TObject* sender)
{
    SaveSettings();
    Input()->UnregisterHotKey(GetHandle(), HotKeyId);
}

void TMForm::Dispatch(TMessage& message)
{
    if (message.Msg == WM_HOTKEY) {
        // A box shown while closing (the write error) still takes the hot key: nothing starts.
        if (!(ComponentState() & csDestroying))
            WMHotKey(message);
        return;
    }
    TForm::Dispatch(message);
}

// The handlers work on MForm, the one main window, whatever object they are called on.
void TMForm::MainControl(TObject* sender)
{
    auto* component = dynamic_cast<TComponent*>(sender);
    if (component == nullptr)
        return;
    switch (component->GetTag()) {
    case 1:
        ApplyPace(*MForm);
        break;
    case 2:
        ApplyLockKey(*MForm);
        break;
    case 3:
        ClickStep(*MForm);
        break;
    default:
        break;
    }
}

void TMForm::WMHotKey(TMessage& message)
{
    if (message.Msg != WM_HOTKEY || static_cast<int>(message.WParam) != HotKeyId)
        return;
    ToggleClicking(*MForm);
}

void TMForm::Timer2Timer(TObject* sender)
{
    PollHoldKeys(*MForm);
}

void TMForm::DisableChoices()
{
    SetChoicesEnabled(*MForm, false);
}

void TMForm::EnableChoices()
{
    SetChoicesEnabled(*MForm, true);
}

void TMForm::LoadSettings()
{
    ReadSettings(*this);
}

void TMForm::SaveSettings()
{
    WriteSettings(*this);
}
