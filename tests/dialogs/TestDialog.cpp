#include "TestDialog.h"

#include "framework/Application.h"

namespace TestDialogs {

namespace {
struct TemplateItem {
    DWORD Style;
    WORD Id;
    WORD ClassAtom;
    const wchar_t* Text;
};

void AlignDword(std::vector<WORD>& data)
{
    if (data.size() % 2 != 0)
        data.push_back(0);
}

void PushText(std::vector<WORD>& data, const wchar_t* text)
{
    for (; *text != 0; ++text)
        data.push_back(static_cast<WORD>(*text));
    data.push_back(0);
}

void PushDword(std::vector<WORD>& data, DWORD value)
{
    data.push_back(LOWORD(value));
    data.push_back(HIWORD(value));
}

INT_PTR CALLBACK TestDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}
}  // namespace

HWND CreateTestDialog(bool resizable, int outerWidth, int outerHeight)
{
    const TemplateItem items[] = {
        {WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, idEdit, 0x0081, L""},
        {WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, idList, 0x0083, L""},
        {WS_CHILD | WS_VISIBLE | BS_GROUPBOX, idGroup, 0x0080, L"Group"},
        {WS_CHILD | WS_VISIBLE | SBS_HORZ, idScroll, 0x0084, L""},
        {WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, idOk, 0x0080, L"OK"},
        {WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, idCancel, 0x0080, L"Cancel"},
        {WS_CHILD | WS_VISIBLE | SBS_SIZEBOX | SBS_SIZEGRIP, idSizeGrip, 0x0084, L""},
    };
    std::vector<WORD> data;
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    if (resizable)
        style |= WS_THICKFRAME;
    PushDword(data, style);
    PushDword(data, 0);
    data.push_back(static_cast<WORD>(sizeof(items) / sizeof(items[0])));
    data.push_back(0);
    data.push_back(0);
    data.push_back(100);
    data.push_back(80);
    data.push_back(0);  // no menu
    data.push_back(0);  // standard dialog class
    PushText(data, L"Test dialog");
    for (const TemplateItem& item : items) {
        AlignDword(data);
        PushDword(data, item.Style);
        PushDword(data, 0);
        for (int i = 0; i < 4; ++i)
            data.push_back(5);
        data.push_back(item.Id);
        data.push_back(0xFFFF);
        data.push_back(item.ClassAtom);
        PushText(data, item.Text);
        data.push_back(0);  // no creation data
    }
    AlignDword(data);
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEA>(data.data()),
                                             Application->GetHandle(), TestDialogProc, 0);
    if (dialog == nullptr)
        return nullptr;
    SetWindowPos(dialog, nullptr, 50, 50, outerWidth, outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const ControlPlace& place : ControlPlaces()) {
        RECT r = place.Rect;
        if (place.Id == idSizeGrip) {
            RECT client;
            GetClientRect(dialog, &client);
            r = RECT{client.right - 16, client.bottom - 16, client.right, client.bottom};
        }
        MoveWindow(GetDlgItem(dialog, place.Id), r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }
    // A grandchild: it belongs to the group box, not to the dialog.
    CreateWindowExA(0, "STATIC", "inner", WS_CHILD | WS_VISIBLE, 5, 20, 40, 16, GetDlgItem(dialog, idGroup),
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(900)), GetModuleHandleA(nullptr), nullptr);
    return dialog;
}

RECT ClientRectOfWindow(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT ClientRectOf(HWND dialog, int id)
{
    return ClientRectOfWindow(GetDlgItem(dialog, id));
}

SIZE WindowSize(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE ClientSize(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return SIZE{r.right, r.bottom};
}

std::map<int, RECT> Snapshot(HWND dialog)
{
    std::map<int, RECT> places;
    for (const ControlPlace& place : ControlPlaces())
        places[place.Id] = ClientRectOf(dialog, place.Id);
    return places;
}

TForm* NewSubForm(int clientWidth, int clientHeight)
{
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(bsSizeable);
    form->SetClientWidth(clientWidth);
    form->SetClientHeight(clientHeight);
    form->HandleNeeded();
    return form;
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace TestDialogs
