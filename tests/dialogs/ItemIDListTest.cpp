// Item-ID lists and special folders: the list logic against a substitute shell, and the same
// operations once against Wine's shell.
#include "dialogs/CSelFDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace CustDlgs;
using Holder = TSelectFolderDialog::spItemIDList;
using Bytes = std::vector<unsigned char>;

static_assert(sfNone == 46 && sizeof(TSpecialFolder) == 1, "47 special folders in one byte");
static_assert(sizeof(SpecialFolderIds) / sizeof(SpecialFolderIds[0]) == 46, "one identifier per folder");
static_assert(SpecialFolderIds[sfStartMenu] == 11 && SpecialFolderIds[sfDesktopDirectory] == 16 &&
                  SpecialFolderIds[sfNetWork] == 18 && SpecialFolderIds[sfProgramFileX86] == 42 &&
                  SpecialFolderIds[sfConnections] == 49,
              "the identifiers skip 12 to 15");
static_assert(BrowseFlags(OptionBit(bifReturnOnlyFSDirs)) == 0x0001 && BrowseFlags(0x0FFF) == 0xF0FF &&
                  BrowseFlags(OptionBit(bifStatusText) | OptionBit(bifNewDialogStyle) | OptionBit(bifShareable)) ==
                      0x8044,
              "one browser flag per option");

namespace {

const char* const InterfaceFailure =
    "\x83\x56\x83\x46\x83\x8b\x83\x43\x83\x93\x83\x5e\x81\x5b\x83\x74\x83\x46\x83\x43\x83\x58\x82\xcc\x8e\xe6\x93"
    "\xbe\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";

std::string ParseFailure(const std::string& path)
{
    return "\x8d\x80\x96\xda\x8e\xaf\x95\xca\x8e\x71\x82\xcc\x8e\xe6\x93\xbe\x82\xc9\x8e\xb8\x94\x73\n" + path +
           "\x20\x20\x82\xcc\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xcd\x91\xb6\x8d\xdd\x82\xb5\x82\xdc\x82\xb9\x82\xf1"
           "\x81\x42";
}

// A list with items of the given byte counts, each item's data filled with `tag`, terminated.
Bytes MakeList(std::initializer_list<int> counts, unsigned char tag)
{
    Bytes bytes;
    for (int count : counts) {
        bytes.insert(bytes.end(), {static_cast<unsigned char>(count & 0xFF), static_cast<unsigned char>(count >> 8)});
        bytes.insert(bytes.end(), static_cast<size_t>(count - 2), tag);
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

// The message of the ESelFDlgException that `action` raises; empty when it raises none.
template <class Action>
std::string RaisedMessage(Action action)
{
    try {
        action();
    } catch (const ESelFDlgException& e) {
        return e.Message();
    }
    return "";
}

Bytes BytesOf(LPCITEMIDLIST list)
{
    const auto* p = reinterpret_cast<const unsigned char*>(list);
    return Bytes(p, p + TSHFolderInfo::ItemIDListSize(list));
}

// COM methods the code under test never calls.
#define NOT_USED(...) override { return E_NOTIMPL; }

class FakeMalloc : public IMalloc {
public:
    int Releases = 0;
    int Live = 0;  // blocks handed out and not yet freed
    bool Fail = false;
    std::vector<SIZE_T> Sizes;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) NOT_USED()
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(++Releases); }
    void* STDMETHODCALLTYPE Alloc(SIZE_T size) override
    {
        if (Fail)
            return nullptr;
        Sizes.push_back(size);
        ++Live;
        return std::malloc(size);
    }
    void* STDMETHODCALLTYPE Realloc(void*, SIZE_T) override { return nullptr; }
    void STDMETHODCALLTYPE Free(void* block) override
    {
        --Live;
        std::free(block);
    }
    SIZE_T STDMETHODCALLTYPE GetSize(void*) override { return 0; }
    int STDMETHODCALLTYPE DidAlloc(void*) override { return -1; }
    void STDMETHODCALLTYPE HeapMinimize() override {}

    LPITEMIDLIST New(const Bytes& bytes)
    {
        return static_cast<LPITEMIDLIST>(std::memcpy(Alloc(bytes.size()), bytes.data(), bytes.size()));
    }
};

// Parses the paths it knows; two lists are the same place when their bytes are.
class FakeDesktopFolder : public IShellFolder {
public:
    explicit FakeDesktopFolder(FakeMalloc& malloc) : FMalloc(malloc) {}
    int Releases = 0;
    int Parses = 0;
    std::map<std::wstring, Bytes> Places;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) NOT_USED()
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(++Releases); }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR name, ULONG*, PIDLIST_RELATIVE* list,
                                               ULONG* attributes) override
    {
        ++Parses;
        EXPECT_EQ(0u, *attributes);
        auto found = Places.find(name);
        if (found == Places.end())
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        *list = FMalloc.New(found->second);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM column, PCUIDLIST_RELATIVE first, PCUIDLIST_RELATIVE second) override
    {
        EXPECT_EQ(0, column);
        return BytesOf(first) == BytesOf(second) ? S_OK : 1;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) NOT_USED()
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) NOT_USED()
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) NOT_USED()
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) NOT_USED()
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) NOT_USED()
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void**) NOT_USED()
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF, STRRET*) NOT_USED()
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) NOT_USED()

private:
    FakeMalloc& FMalloc;
};

// A shell with a few places, installed for the life of the object.
class FakeShell : public TShellApi {
public:
    FakeMalloc Malloc;
    FakeDesktopFolder Folder{Malloc};
    HRESULT MallocResult = S_OK;
    HRESULT FolderResult = S_OK;
    int FolderGets = 0;
    std::map<int, Bytes> Special;
    std::vector<int> SpecialAsked;
    std::map<Bytes, std::string> Paths;

    FakeShell() : FPrevious(SetShellApi(this)) {}
    ~FakeShell() override { SetShellApi(FPrevious); }

    HRESULT GetMalloc(IMalloc** malloc) override
    {
        *malloc = MallocResult == S_OK ? &Malloc : nullptr;
        return MallocResult;
    }
    HRESULT GetDesktopFolder(IShellFolder** folder) override
    {
        ++FolderGets;
        *folder = FolderResult == S_OK ? &Folder : nullptr;
        return FolderResult;
    }
    HRESULT GetSpecialFolderLocation(HWND, int id, LPITEMIDLIST* list) override
    {
        SpecialAsked.push_back(id);
        auto found = Special.find(id);
        if (found == Special.end())
            return E_FAIL;
        *list = Malloc.New(found->second);
        return S_OK;
    }
    BOOL GetPathFromIDList(LPCITEMIDLIST list, char* path) override
    {
        auto found = Paths.find(BytesOf(list));
        if (found == Paths.end())
            return FALSE;
        std::strcpy(path, found->second.c_str());
        return TRUE;
    }
    BOOL GetPathFromIDListW(LPCITEMIDLIST list, wchar_t* path) override
    {
        char ansi[MAX_PATH] = {};
        return GetPathFromIDList(list, ansi) && MultiByteToWideChar(CP_ACP, 0, ansi, -1, path, MAX_PATH) > 0;
    }

private:
    TShellApi* FPrevious;
};

TEST(ItemIDListTest, CopyAllocatesExactlyTheWalkedSizeAndEveryByte)
{
    FakeShell shell;
    struct Case {
        Bytes List;
        SIZE_T Size;
    };
    const Case cases[] = {
        {MakeList({}, 0), 2},         // the desktop
        {MakeList({10, 6}, 7), 18},   // 10 + 6 + terminator
        {MakeList({300}, 9), 302},    // a count above one byte
    };
    for (const Case& c : cases) {
        Holder holder;
        shell.Malloc.Sizes.clear();
        holder.Copy(reinterpret_cast<LPCITEMIDLIST>(c.List.data()));
        ASSERT_NE(nullptr, holder.Get());
        EXPECT_EQ(std::vector<SIZE_T>{c.Size}, shell.Malloc.Sizes);
        EXPECT_EQ(c.List, BytesOf(holder.Get()));
    }
    Holder holder;
    shell.Malloc.Sizes.clear();
    holder.Copy(nullptr);
    EXPECT_EQ(nullptr, holder.Get());
    EXPECT_TRUE(shell.Malloc.Sizes.empty());
    EXPECT_EQ(0, shell.Malloc.Live);
}

// The walk keeps its length in 16 bits: a list of 65,536 bytes or more is never walked past its
// 65,535th byte, and copies as an allocator failure would leave it: not at all.
TEST(ItemIDListTest, ListsOf64KiBAndMoreAreNotCopied)
{
    FakeShell shell;
    struct Case {
        Bytes List;
        SIZE_T Size;  // 0: not copied
    };
    const Case cases[] = {
        {MakeList({32767, 32766}, 3), 65535},  // the longest list there is
        {MakeList({32767, 32767}, 3), 0},      // 65,536 bytes
        {MakeList({32767, 32767, 2}, 3), 0},   // 65,538
        {MakeList({40000, 40000}, 3), 0},      // 80,002
        {MakeList({65535, 65535}, 3), 0},      // the walk would wrap past zero
    };
    for (const Case& c : cases) {
        Holder holder;
        shell.Malloc.Sizes.clear();
        holder.Copy(reinterpret_cast<LPCITEMIDLIST>(c.List.data()));
        EXPECT_EQ(c.Size, TSHFolderInfo::ItemIDListSize(reinterpret_cast<LPCITEMIDLIST>(c.List.data())));
        if (c.Size == 0) {
            EXPECT_EQ(nullptr, holder.Get()) << c.List.size();
            EXPECT_TRUE(shell.Malloc.Sizes.empty());
        } else {
            ASSERT_NE(nullptr, holder.Get());
            EXPECT_EQ(c.List, BytesOf(holder.Get()));
        }
    }
    EXPECT_EQ(0, shell.Malloc.Live);
}

TEST(ItemIDListTest, EveryStoreLetsTheOldListGoAndAFailedOneLeavesTheHolderEmpty)
{
    FakeShell shell;
    const Bytes list = MakeList({6}, 1);
    shell.Folder.Places[L"C:\\there"] = list;
    Holder holder;
    auto fill = [&] {
        holder.Copy(reinterpret_cast<LPCITEMIDLIST>(list.data()));
        ASSERT_EQ(1, shell.Malloc.Live);
    };

    fill();
    shell.Malloc.Fail = true;  // the allocator has no memory for the copy
    holder.Copy(reinterpret_cast<LPCITEMIDLIST>(list.data()));
    EXPECT_EQ(nullptr, holder.Get());
    EXPECT_EQ(0, shell.Malloc.Live);
    shell.Malloc.Fail = false;

    // An unparsable path: the exact message, and nothing held afterwards.
    fill();
    const std::string missing = "C:\\\x83\x74\x83\x48\x83\x8b\x83\x5f\\nowhere";
    EXPECT_EQ(ParseFailure(missing), RaisedMessage([&] { holder.SetCharToIDList(missing.c_str()); }));
    EXPECT_EQ(nullptr, holder.Get());
    EXPECT_EQ(0, shell.Malloc.Live);

    // A path whose wide form does not fit the buffer never reaches the shell.
    const int parses = shell.Folder.Parses;
    const std::string tooLong = "C:\\" + std::string(300, 'a');
    EXPECT_EQ(ParseFailure(tooLong), RaisedMessage([&] { holder.SetCharToIDList(tooLong.c_str()); }));
    EXPECT_EQ(parses, shell.Folder.Parses);

    holder.SetCharToIDList("C:\\there");
    EXPECT_EQ(list, BytesOf(holder.Get()));

    holder.Set(nullptr);
    EXPECT_EQ(nullptr, holder.Get());
    EXPECT_EQ(0, shell.Malloc.Live);

    fill();
    holder.SetSpecialFolderToIDList(sfNone);
    EXPECT_EQ(nullptr, holder.Get());
    EXPECT_EQ(sfNone, holder.GetSpecialFolder());
    EXPECT_EQ("", holder.GetString());
    EXPECT_TRUE(shell.SpecialAsked.empty());

    fill();
    holder.SetSpecialFolderToIDList(sfFonts);  // not on this shell
    EXPECT_EQ(std::vector<int>{20}, shell.SpecialAsked);
    EXPECT_EQ(nullptr, holder.Get());
    EXPECT_EQ(0, shell.Malloc.Live);

    // Adopting the list already held keeps it.
    fill();
    holder.Set(holder.Get());
    EXPECT_EQ(list, BytesOf(holder.Get()));
    holder.Copy(holder.Get());
    EXPECT_EQ(list, BytesOf(holder.Get()));
    EXPECT_EQ(1, shell.Malloc.Live);
}

TEST(ItemIDListTest, SpecialFolderSearchGoesInTableOrderAndTiesGoToTheFirst)
{
    FakeShell shell;
    const Bytes documents = MakeList({8}, 5);
    const Bytes drives = MakeList({4, 4}, 17);
    shell.Special[5] = documents;
    shell.Special[16] = documents;  // two folders at one place
    shell.Special[17] = drives;
    shell.Special[49] = MakeList({4}, 49);
    shell.Paths[documents] = "C:\\users\\me\\Documents";

    struct Case {
        Bytes Held;
        TSpecialFolder Expected;
        int LastAsked;
    };
    const Case cases[] = {
        {documents, sfPersonal, 5},
        {drives, sfDrives, 17},
        {MakeList({4}, 49), sfConnections, 49},
        {MakeList({4}, 99), sfNone, 49},
    };
    for (const Case& c : cases) {
        Holder holder;
        holder.Copy(reinterpret_cast<LPCITEMIDLIST>(c.Held.data()));
        shell.SpecialAsked.clear();
        EXPECT_EQ(c.Expected, holder.GetSpecialFolder());
        std::vector<int> expectedAsks(SpecialFolderIds, SpecialFolderIds + sfNone);
        expectedAsks.resize(static_cast<size_t>(
            std::find(expectedAsks.begin(), expectedAsks.end(), c.LastAsked) - expectedAsks.begin() + 1));
        EXPECT_EQ(expectedAsks, shell.SpecialAsked);
        EXPECT_EQ(1, shell.Malloc.Live);  // every list the search fetched went back
    }

    Holder holder;
    holder.SetSpecialFolderToIDList(sfDesktopDirectory);
    EXPECT_EQ(documents, BytesOf(holder.Get()));
    EXPECT_EQ(sfPersonal, holder.GetSpecialFolder());
    EXPECT_EQ("C:\\users\\me\\Documents", holder.GetString());
    holder.SetSpecialFolderToIDList(sfDrives);
    EXPECT_EQ("", holder.GetString());  // no file-system path
}

TEST(ItemIDListTest, ShellInterfacesAreReleasedOnceAndAFailedAcquisitionRaises)
{
    {
        FakeShell shell;
        { Holder holder; }
        EXPECT_EQ(1, shell.Malloc.Releases);
        EXPECT_EQ(1, shell.Folder.Releases);
    }
    {
        FakeShell shell;
        shell.MallocResult = E_OUTOFMEMORY;
        EXPECT_EQ(InterfaceFailure, RaisedMessage([] { Holder holder; }));
        EXPECT_EQ(0, shell.FolderGets);
        EXPECT_THROW(MakeObject<TSelectFolderDialog>(nullptr), ESelFDlgException);
    }
    {
        FakeShell shell;
        shell.FolderResult = S_FALSE;  // anything but S_OK is a failure
        EXPECT_THROW(TSHFolderInfo info, ESelFDlgException);
        EXPECT_EQ(1, shell.Malloc.Releases);  // the allocator acquired first goes back
        EXPECT_EQ(0, shell.Folder.Releases);
    }
}

// ---------------------------------------------------------------------------------------------
// Against Wine's shell

std::string TempFolder()
{
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string path = std::string(base) + "tapstorm-idlist-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

TEST(ItemIDListWineTest, PathsAndSpecialFoldersRoundTrip)
{
    Holder holder;
    holder.SetSpecialFolderToIDList(sfDesktop);
    ASSERT_NE(nullptr, holder.Get());
    EXPECT_EQ(2, TSHFolderInfo::ItemIDListSize(holder.Get()));
    EXPECT_EQ(sfDesktop, holder.GetSpecialFolder());
    Holder copy;
    copy.Copy(holder.Get());
    TSHFolderInfo info;
    EXPECT_TRUE(info.CompareItemIDList(holder.Get(), copy.Get()));

    const std::string folder = TempFolder();
    holder.SetCharToIDList(folder.c_str());
    EXPECT_EQ(folder, holder.GetString());
    EXPECT_EQ(sfNone, holder.GetSpecialFolder());
    EXPECT_FALSE(info.CompareItemIDList(holder.Get(), copy.Get()));
    RemoveDirectoryA(folder.c_str());

    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    holder.SetCharToIDList(windows);
    EXPECT_EQ(sfWindows, holder.GetSpecialFolder());

    const std::string missing = folder + "\\missing";
    EXPECT_EQ(ParseFailure(missing), RaisedMessage([&] { holder.SetCharToIDList(missing.c_str()); }));
    EXPECT_EQ(nullptr, holder.Get());
}

}  // namespace
