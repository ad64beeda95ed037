// Wine's folder browser made to behave as Windows' does where the component leans on it, beneath
// the component (installed when the browser reports its initialization, before the component
// sees it): the new look's tree inside a host window, a preset selection left out of view, a
// layout that moves controls by the change of size, and a name typed into the edit box taken at OK.
#pragma once

#include "dialogs/CSelFDlg.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

class WindowsFolderBrowser : public CustDlgs::TShellApi {
public:
    static constexpr const wchar_t* HostClass = L"SHBrowseForFolder ShellNameSpace Control";

    // The tree sits in a host window sized with it; a selection made while initializing is not
    // scrolled into view.
    bool TreeInHost = false;
    // WM_SIZE moves each right- or bottom-anchored child by the change of size; the browser's own
    // layout never sees it.
    bool DeltaLayout = false;
    // At OK the edit box's text is taken: an existing folder (a full path, or relative to the
    // selection) is returned, another name is reported as rejected under BIF_VALIDATE.
    bool TypedNames = false;

    WindowsFolderBrowser() : FPrevious(CustDlgs::SetShellApi(this)) { Current() = this; }
    ~WindowsFolderBrowser() override
    {
        CustDlgs::SetShellApi(FPrevious);
        Current() = nullptr;
    }
    WindowsFolderBrowser(const WindowsFolderBrowser&) = delete;
    WindowsFolderBrowser& operator=(const WindowsFolderBrowser&) = delete;

    LPITEMIDLIST BrowseForFolder(BROWSEINFOA* info) override
    {
        FInfo = *info;
        FTyped.clear();
        FSelected.clear();
        BROWSEINFOA mine = *info;
        mine.lpfn = Callback;
        LPITEMIDLIST chosen = TShellApi::BrowseForFolder(&mine);
        info->iImage = mine.iImage;
        if (chosen != nullptr && !FTyped.empty()) {
            // The typed folder, not the tree's selection.
            CoTaskMemFree(chosen);
            chosen = ILCreateFromPathW(FTyped.c_str());
            const std::wstring name = FTyped.substr(FTyped.find_last_of(L'\\') + 1);
            WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, info->pszDisplayName, MAX_PATH, nullptr, nullptr);
        }
        return chosen;
    }

    // The browser's tree, wherever it sits.
    static HWND Tree(HWND browser)
    {
        HWND host = FindWindowExW(browser, nullptr, HostClass, nullptr);
        return FindWindowExW(host != nullptr ? host : browser, nullptr, WC_TREEVIEWW, nullptr);
    }

private:
    struct Anchored {
        HWND Window;
        bool MoveX, GrowX, MoveY, GrowY;
    };

    static WindowsFolderBrowser*& Current()
    {
        static WindowsFolderBrowser* current = nullptr;
        return current;
    }

    static int CALLBACK Callback(HWND window, UINT message, LPARAM lParam, LPARAM data)
    {
        WindowsFolderBrowser* self = Current();
        if (message == BFFM_INITIALIZED)
            self->Initialize(window);
        if (message == BFFM_SELCHANGED) {
            wchar_t path[MAX_PATH] = {};
            self->FSelected = SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(lParam), path) ? path : L"";
        }
        const int result = self->FInfo.lpfn(window, message, lParam, data);
        if (message == BFFM_INITIALIZED && self->TreeInHost) {
            // Selected, not scrolled to.
            HWND tree = Tree(window);
            SendMessageW(tree, WM_VSCROLL, SB_TOP, 0);
            SendMessageW(tree, WM_HSCROLL, SB_LEFT, 0);
        }
        return result;
    }

    void Initialize(HWND window)
    {
        if (TreeInHost)
            PutTreeInHost(window);
        if (DeltaLayout) {
            RECT client;
            GetClientRect(window, &client);
            FClient = SIZE{client.right, client.bottom};
            // Anchors as the controls lie: one that reaches from the first quarter across the middle
            // grows (the tree, the edit box), another that ends past the middle moves (OK, which
            // starts just before it, too: Windows keeps the buttons' size).
            FAnchored.clear();
            auto grows = [](LONG nearEdge, LONG farEdge, LONG size) {
                return nearEdge < size / 4 && farEdge > size / 2;
            };
            auto moves = [](LONG nearEdge, LONG farEdge, LONG size) {
                return nearEdge >= size / 4 && farEdge > size / 2;
            };
            for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
                const RECT r = Place(child);
                FAnchored.push_back({child, moves(r.left, r.right, client.right), grows(r.left, r.right, client.right),
                                     moves(r.top, r.bottom, client.bottom), grows(r.top, r.bottom, client.bottom)});
            }
        }
        if (DeltaLayout || TypedNames) {
            FBrowser = window;
            FBrowserProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BrowserProc)));
        }
    }

    static RECT Place(HWND child)
    {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    static LRESULT CALLBACK HostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_SIZE:
            SetWindowPos(GetWindow(host, GW_CHILD), nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam),
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        case WM_NOTIFYFORMAT:
            return NFR_UNICODE;
        case WM_NOTIFY:
        case WM_COMMAND:
            return SendMessageW(GetParent(host), message, wParam, lParam);
        default:
            return DefWindowProcW(host, message, wParam, lParam);
        }
    }

    static void PutTreeInHost(HWND browser)
    {
        static ATOM registered = 0;
        if (registered == 0) {
            WNDCLASSW type = {};
            type.lpfnWndProc = HostProc;
            type.hInstance = GetModuleHandleW(nullptr);
            type.lpszClassName = HostClass;
            registered = RegisterClassW(&type);
        }
        HWND tree = FindWindowExW(browser, nullptr, WC_TREEVIEWW, nullptr);
        if (tree == nullptr)
            return;
        const RECT r = Place(tree);
        // The host takes the tree's place and number among the browser's controls.
        HWND host = CreateWindowExW(0, HostClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, r.left, r.top,
                                    r.right - r.left, r.bottom - r.top, browser,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetDlgCtrlID(tree))),
                                    GetModuleHandleW(nullptr), nullptr);
        SetWindowPos(host, tree, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetParent(tree, host);
        SetWindowPos(tree, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    static LRESULT CALLBACK BrowserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        WindowsFolderBrowser* self = Current();
        if (message == WM_SIZE && self->DeltaLayout) {
            const SIZE now = {LOWORD(lParam), HIWORD(lParam)};
            const int dx = now.cx - self->FClient.cx;
            const int dy = now.cy - self->FClient.cy;
            self->FClient = now;
            for (const Anchored& a : self->FAnchored) {
                RECT r = Place(a.Window);
                if (a.MoveX)
                    OffsetRect(&r, dx, 0);
                if (a.GrowX)
                    r.right += dx;
                if (a.MoveY)
                    OffsetRect(&r, 0, dy);
                if (a.GrowY)
                    r.bottom += dy;
                SetWindowPos(a.Window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return 0;
        }
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK && self->TypedNames && !self->TakeTyped(window))
            return 0;
        return CallWindowProcW(self->FBrowserProc, window, message, wParam, lParam);
    }

    // What the platform does with the edit box's text at OK; false keeps the browser open.
    bool TakeTyped(HWND window)
    {
        if (!(FInfo.ulFlags & BIF_EDITBOX))
            return true;
        HWND edit = FindWindowExW(window, nullptr, L"Edit", nullptr);
        wchar_t text[MAX_PATH] = {};
        GetWindowTextW(edit, text, MAX_PATH);
        const std::wstring typed = text;
        HWND tree = Tree(window);
        wchar_t shown[MAX_PATH] = {};
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        item.pszText = shown;
        item.cchTextMax = MAX_PATH;
        SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        if (typed.empty() || lstrcmpiW(typed.c_str(), shown) == 0 || lstrcmpiW(typed.c_str(), FSelected.c_str()) == 0)
            return true;
        const bool full = (typed.size() >= 2 && typed[1] == L':') || typed.compare(0, 2, L"\\\\") == 0;
        std::wstring path = full ? typed : FSelected + L"\\" + typed;
        wchar_t resolved[MAX_PATH] = {};
        GetFullPathNameW(path.c_str(), MAX_PATH, resolved, nullptr);
        const DWORD attributes = GetFileAttributesW(resolved);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            FTyped = resolved;
            return true;
        }
        if (!(FInfo.ulFlags & BIF_VALIDATE))
            return true;
        char ansi[MAX_PATH] = {};
        WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, MAX_PATH, nullptr, nullptr);
        return FInfo.lpfn(window, BFFM_VALIDATEFAILEDA, reinterpret_cast<LPARAM>(ansi), FInfo.lParam) == 0;
    }

    CustDlgs::TShellApi* FPrevious;
    BROWSEINFOA FInfo = {};
    HWND FBrowser = nullptr;
    WNDPROC FBrowserProc = nullptr;
    SIZE FClient = {0, 0};
    std::vector<Anchored> FAnchored;
    std::wstring FSelected;
    std::wstring FTyped;
};
