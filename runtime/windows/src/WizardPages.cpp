#include "WizardPages.h"

#include <commctrl.h>
#include <prsht.h>
#include <richedit.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <array>
#include <memory>
#include <vector>

#include "ExitCodes.h"
#include "FinishActions.h"
#include "InstallActions.h"
#include "PageTexts.h"
#include "PasswordCheck.h"
#include "PathExpander.h"
#include "SetupSession.h"
#include "SystemLibrary.h"
#include "Text.h"
#include "WizardResources.h"

namespace corvane::rt {

using contract::Setting;

namespace {

constexpr UINT kStatusMessage = WM_APP + 1;    // lParam: a std::wstring* the page deletes
constexpr UINT kProgressMessage = WM_APP + 2;  // wParam: progress in permille
constexpr UINT kDoneMessage = WM_APP + 3;      // wParam: TRUE when everything was installed
// The property sheet's own buttons.
constexpr int kBackButton = 0x3023, kNextButton = 0x3024, kFinishButton = 0x3025;
// Bitmaps larger than this are not genuine wizard pictures.
constexpr LONG kMaxBitmapSide = 4096;
// The picture areas at 96 dpi: the welcome and finish pages' side panel, whose height is the
// page's, and the header's square, the size the property sheet lays its header out for.
constexpr int kPanelWidth = 164, kPanelHeight = 314, kHeaderSide = 49;
// Welcome, license, readme, password, folder, progress, finish.
constexpr std::size_t kMaxPages = 7;

struct Wizard {
    SetupSession& session;
    const SetupOptions& options;
    std::wstring appName, appVersion;
    std::wstring installDir;
    HFONT titleFont = nullptr;
    const wchar_t* documentClass = L"EDIT";
    bool installing = false, installed = false, failed = false;
    std::wstring error;
    int exitCode = kExitCancelled;
    std::unique_ptr<PathExpander> variables;
    std::unique_ptr<Installer> installer;
    // The sheet's caption and every page's header title and subtitle.
    PageTexts<1 + 2 * kMaxPages> texts;
    // The wizard picture, and the same fitted to the side panel once the page size is known.
    HBITMAP wizardPicture = nullptr;
    HBITMAP panel = nullptr;
    SIZE panelSize{};
    HBRUSH white = nullptr;
    // Where the finish page's four offers stand in its template; the ones shown fill them from
    // the top, so no gap is left where an offer is not made.
    std::array<POINT, 4> offerSlots{};

    std::wstring t(const wchar_t* key) const { return formatText(session.text(key), {appName, appVersion}); }
    const wchar_t* keep(std::wstring text) { return texts.keep(std::move(text)); }
};

class PostingObserver : public InstallObserver {
public:
    explicit PostingObserver(HWND page) : m_page(page) {}
    void status(const std::wstring& text) override {
        PostMessageW(m_page, kStatusMessage, 0, reinterpret_cast<LPARAM>(new std::wstring(text)));
    }
    void progress(unsigned permille) override { PostMessageW(m_page, kProgressMessage, permille, 0); }

private:
    HWND m_page;
};

Wizard* wizardOf(HWND page) {
    return reinterpret_cast<Wizard*>(GetWindowLongPtrW(page, GWLP_USERDATA));
}

Wizard* initPage(HWND page, LPARAM lParam) {
    auto* w = reinterpret_cast<Wizard*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
    SetWindowLongPtrW(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
    return w;
}

INT_PTR result(HWND page, LONG_PTR value) {
    SetWindowLongPtrW(page, DWLP_MSGRESULT, value);
    return TRUE;
}

void setButtons(HWND page, Wizard* w, DWORD buttons, const wchar_t* nextKey = L"ButtonNext") {
    const HWND sheet = GetParent(page);
    PropSheet_SetWizButtons(sheet, buttons);
    SetDlgItemTextW(sheet, kBackButton, w->t(L"ButtonBack").c_str());
    SetDlgItemTextW(sheet, kNextButton, w->t(nextKey).c_str());
    SetDlgItemTextW(sheet, kFinishButton, w->t(L"ButtonFinish").c_str());
    SetDlgItemTextW(sheet, IDCANCEL, w->t(L"ButtonCancel").c_str());
}

// Cancel asks first, except while installing (it cannot stop halfway) and once it is over.
INT_PTR queryCancel(HWND page, Wizard* w) {
    if (w->installing) return result(page, TRUE);
    if (w->installed || w->failed) return result(page, FALSE);
    const int answer = MessageBoxW(GetParent(page), w->t(L"CancelConfirm").c_str(),
                                   w->t(L"SetupCaption").c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    return result(page, answer == IDYES ? FALSE : TRUE);
}

// Reads a BMP file from memory; nullptr for anything that is not a plain, sane bitmap.
HBITMAP bitmapFrom(const CabMember* member) {
    if (!member || member->bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return nullptr;
    const std::string& b = member->bytes;
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    memcpy(&file, b.data(), sizeof file);
    memcpy(&info, b.data() + sizeof file, sizeof info);
    const LONG height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    const WORD bits = info.biBitCount;
    if (file.bfType != 0x4D42 || info.biSize < sizeof info || info.biWidth <= 0 ||
        info.biWidth > kMaxBitmapSide || height == 0 || height > kMaxBitmapSide ||
        (info.biCompression != BI_RGB && info.biCompression != BI_BITFIELDS) ||
        (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
        return nullptr;
    const std::uint64_t stride = ((std::uint64_t(info.biWidth) * bits + 31) / 32) * 4;
    if (file.bfOffBits >= b.size() || stride * std::uint64_t(height) > b.size() - file.bfOffBits)
        return nullptr;
    // A palette or bit masks must lie before the pixels.
    const std::uint64_t colours = info.biClrUsed ? info.biClrUsed : (bits <= 8 ? (1u << bits) : 0);
    if (sizeof file + std::uint64_t(info.biSize) + colours * 4 +
            (info.biCompression == BI_BITFIELDS ? 12 : 0) >
        file.bfOffBits)
        return nullptr;
    std::string header = b.substr(sizeof file, file.bfOffBits - sizeof file);
    const HDC dc = GetDC(nullptr);
    const HBITMAP bitmap = CreateDIBitmap(dc, reinterpret_cast<const BITMAPINFOHEADER*>(header.data()),
                                          CBM_INIT, b.data() + file.bfOffBits,
                                          reinterpret_cast<const BITMAPINFO*>(header.data()), DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    return bitmap;
}

// A copy of picture scaled to fit width x height with its proportions kept, centred on a
// white ground. The property sheet's own painting draws pictures unscaled (cropping larger
// ones, padding smaller ones with stray colour), so the wizard hands it only fitted ones.
HBITMAP fitted(HBITMAP picture, int width, int height) {
    BITMAP source{};
    if (!picture || !GetObjectW(picture, sizeof source, &source) || width <= 0 || height <= 0) return nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    const HBITMAP out = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ oldFrom = SelectObject(from, picture), oldTo = SelectObject(to, out);
    RECT all{0, 0, width, height};
    FillRect(to, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    // Scale by the tighter side; 64-bit products cannot overflow.
    int w = width, h = int(std::int64_t(source.bmHeight) * width / source.bmWidth);
    if (h > height) {
        h = height;
        w = int(std::int64_t(source.bmWidth) * height / source.bmHeight);
    }
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    StretchBlt(to, (width - w) / 2, (height - h) / 2, w, h, from, 0, 0, source.bmWidth, source.bmHeight,
               SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    return out;
}

int scaled(int length) {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(length, dpi, 96);
}

// The welcome and finish pages draw the wizard picture themselves, on a white page, so the
// picture shows once, whole and in place, whatever the property sheet paints beneath.
bool paintExterior(HWND page, UINT message, WPARAM wParam, LRESULT& answer) {
    Wizard* w = wizardOf(page);
    if (!w) return false;
    switch (message) {
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            answer = reinterpret_cast<LRESULT>(w->white);
            return true;
        case WM_PAINT: {
            RECT client;
            GetClientRect(page, &client);
            // The panel keeps the default picture's proportions over the page's full height.
            const SIZE want{MulDiv(client.bottom, kPanelWidth, kPanelHeight), client.bottom};
            if (!w->panel || w->panelSize.cx != want.cx || w->panelSize.cy != want.cy) {
                if (w->panel) DeleteObject(w->panel);
                w->panel = fitted(w->wizardPicture, want.cx, want.cy);
                w->panelSize = want;
            }
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(page, &ps);
            if (w->panel) {
                const HDC from = CreateCompatibleDC(dc);
                const HGDIOBJ old = SelectObject(from, w->panel);
                BitBlt(dc, 0, 0, want.cx, want.cy, from, 0, 0, SRCCOPY);
                SelectObject(from, old);
                DeleteDC(from);
            }
            EndPaint(page, &ps);
            answer = TRUE;
            return true;
        }
    }
    return false;
}

// Moves the keyboard focus to the sheet's Next (or Install, or Finish) button, so Enter goes on.
void focusDefaultButton(HWND page, int button = kNextButton) {
    const HWND sheet = GetParent(page);
    PostMessageW(sheet, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(sheet, button)), TRUE);
}

struct StreamSource {
    const std::string* bytes;
    std::size_t pos;
};

DWORD CALLBACK streamIn(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
    auto* s = reinterpret_cast<StreamSource*>(cookie);
    const std::size_t n = std::min<std::size_t>(std::size_t(size), s->bytes->size() - s->pos);
    memcpy(buffer, s->bytes->data() + s->pos, n);
    s->pos += n;
    *got = LONG(n);
    return 0;
}

// Replaces the placeholder with a read-only document view showing RTF or plain text.
void showDocument(HWND page, Wizard* w, const CabMember* document) {
    const HWND placeholder = GetDlgItem(page, IDC_DOCUMENT);
    RECT r;
    GetWindowRect(placeholder, &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    DestroyWindow(placeholder);
    const HWND view = CreateWindowExW(
        WS_EX_CLIENTEDGE, w->documentClass, L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, r.left,
        r.top, r.right - r.left, r.bottom - r.top, page, reinterpret_cast<HMENU>(IDC_DOCUMENT), nullptr,
        nullptr);
    SendMessageW(view, WM_SETFONT, SendMessageW(page, WM_GETFONT, 0, 0), FALSE);
    if (!document) return;
    const std::string& bytes = document->bytes;
    if (bytes.compare(0, 5, "{\\rtf") == 0 && wcscmp(w->documentClass, L"EDIT") != 0) {
        StreamSource source{&bytes, 0};
        EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, streamIn};
        SendMessageW(view, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
        return;
    }
    std::wstring text;
    for (const wchar_t c : fromUtf8(bytes)) {
        if (c == L'\n' && (text.empty() || text.back() != L'\r')) text += L'\r';
        text += c;
    }
    SetWindowTextW(view, text.c_str());
}

INT_PTR CALLBACK welcomeProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT painted = 0;
    if (paintExterior(page, message, wParam, painted)) return painted;
    if (message == WM_INITDIALOG) {
        Wizard* w = initPage(page, lParam);
        SetDlgItemTextW(page, IDC_TITLE, w->t(L"WelcomeTitle").c_str());
        SendDlgItemMessageW(page, IDC_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(w->titleFont), FALSE);
        SetDlgItemTextW(page, IDC_TEXT, w->t(L"WelcomeText").c_str());
        return TRUE;
    }
    if (message != WM_NOTIFY) return FALSE;
    Wizard* w = wizardOf(page);
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            setButtons(page, w, PSWIZB_NEXT);
            focusDefaultButton(page);
            return result(page, 0);
        case PSN_QUERYCANCEL:
            return queryCancel(page, w);
    }
    return FALSE;
}

INT_PTR CALLBACK documentProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool license = GetDlgItem(page, IDC_ACCEPT) != nullptr;
    if (message == WM_INITDIALOG) {
        Wizard* w = initPage(page, lParam);
        showDocument(page, w, w->session.document(license ? L'L' : L'R'));
        if (license) {
            SetDlgItemTextW(page, IDC_ACCEPT, w->t(L"LicenseAccept").c_str());
            ShowWindow(GetDlgItem(page, IDC_ACCEPT),
                       w->session.description().flag(Setting::Accept) ? SW_SHOW : SW_HIDE);
        }
        return TRUE;
    }
    Wizard* w = wizardOf(page);
    auto buttons = [&] {
        const bool mayGoOn = !license || !w->session.description().flag(Setting::Accept) ||
                             IsDlgButtonChecked(page, IDC_ACCEPT) == BST_CHECKED;
        setButtons(page, w, PSWIZB_BACK | (mayGoOn ? PSWIZB_NEXT : 0));
    };
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_ACCEPT) {
        buttons();
        return TRUE;
    }
    if (message != WM_NOTIFY) return FALSE;
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            buttons();
            // The reader's next step is to accept: the check box gets the keyboard focus.
            if (license && w->session.description().flag(Setting::Accept))
                PostMessageW(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(page, IDC_ACCEPT)),
                             TRUE);
            else  // not the read-only text, which would keep Enter to itself
                focusDefaultButton(page);
            return result(page, 0);
        case PSN_QUERYCANCEL:
            return queryCancel(page, w);
    }
    return FALSE;
}

INT_PTR CALLBACK passwordProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        Wizard* w = initPage(page, lParam);
        SetDlgItemTextW(page, IDC_TEXT, w->t(L"PasswordPrompt").c_str());
        SetDlgItemTextW(page, IDC_LABEL, w->t(L"PasswordLabel").c_str());
        return TRUE;
    }
    if (message != WM_NOTIFY) return FALSE;
    Wizard* w = wizardOf(page);
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            setButtons(page, w, PSWIZB_BACK | PSWIZB_NEXT);
            return result(page, 0);
        case PSN_QUERYCANCEL:
            return queryCancel(page, w);
        case PSN_WIZNEXT: {
            wchar_t typed[512];
            GetDlgItemTextW(page, IDC_PASSWORD, typed, 512);
            if (passwordMatches(typed, w->session.description().text(Setting::Password)))
                return result(page, 0);
            MessageBoxW(GetParent(page), w->t(L"PasswordWrong").c_str(), w->t(L"SetupCaption").c_str(),
                        MB_OK | MB_ICONWARNING);
            SetDlgItemTextW(page, IDC_PASSWORD, L"");
            SetFocus(GetDlgItem(page, IDC_PASSWORD));
            return result(page, -1);
        }
    }
    return FALSE;
}

std::wstring byteSize(std::uint64_t bytes) {
    wchar_t text[64] = L"";
    StrFormatByteSizeW(LONGLONG(bytes), text, 64);
    return text;
}

// The free space on the drive of the folder typed, found from its nearest existing parent.
void showAvailableSpace(HWND page, Wizard* w) {
    wchar_t typed[MAX_PATH * 2] = L"";
    GetDlgItemTextW(page, IDC_FOLDER, typed, MAX_PATH * 2);
    std::wstring folder = typed;
    ULARGE_INTEGER available{};
    bool known = false;
    while (!folder.empty() &&
           !(known = GetDiskFreeSpaceExW((folder + L"\\").c_str(), &available, nullptr, nullptr))) {
        const std::size_t slash = folder.find_last_of(L'\\');
        folder.resize(slash == std::wstring::npos ? 0 : slash);
    }
    const std::wstring text =
        w->t(L"FolderSpaceAvailable") + L" " + (known ? byteSize(available.QuadPart) : L"-");
    SetDlgItemTextW(page, IDC_SPACE_AVAILABLE, text.c_str());
}

INT_PTR CALLBACK folderProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        Wizard* w = initPage(page, lParam);
        SetDlgItemTextW(page, IDC_TEXT, w->t(L"FolderPrompt").c_str());
        SetDlgItemTextW(page, IDC_FOLDER, w->installDir.c_str());
        SetDlgItemTextW(page, IDC_BROWSE, w->t(L"ButtonBrowse").c_str());
        const std::wstring required =
            w->t(L"FolderSpaceRequired") + L" " + byteSize(w->session.installedBytes());
        SetDlgItemTextW(page, IDC_SPACE_REQUIRED, required.c_str());
        showAvailableSpace(page, w);
        return TRUE;
    }
    Wizard* w = wizardOf(page);
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_FOLDER && HIWORD(wParam) == EN_CHANGE && w) {
        showAvailableSpace(page, w);
        return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_BROWSE) {
        const std::wstring title = w->t(L"FolderBrowse");
        BROWSEINFOW info{};
        info.hwndOwner = GetParent(page);
        info.lpszTitle = title.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        if (PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info)) {
            wchar_t chosen[MAX_PATH];
            if (SHGetPathFromIDListW(list, chosen)) {
                // The application's own folder name is kept below the chosen parent.
                std::wstring folder = chosen;
                const std::wstring last = w->installDir.substr(w->installDir.rfind(L'\\') + 1);
                if (!last.empty()) folder += (folder.back() == L'\\' ? L"" : L"\\") + last;
                SetDlgItemTextW(page, IDC_FOLDER, folder.c_str());
            }
            CoTaskMemFree(list);
        }
        return TRUE;
    }
    if (message != WM_NOTIFY) return FALSE;
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            setButtons(page, w, PSWIZB_BACK | PSWIZB_NEXT, L"ButtonInstall");
            focusDefaultButton(page);
            return result(page, 0);
        case PSN_QUERYCANCEL:
            return queryCancel(page, w);
        case PSN_WIZNEXT: {
            wchar_t typed[MAX_PATH * 2];
            GetDlgItemTextW(page, IDC_FOLDER, typed, MAX_PATH * 2);
            std::wstring folder;
            if (PathExpander::normalisePath(typed, folder) && folder.size() > 3) {
                w->installDir = folder;
                return result(page, 0);
            }
            MessageBoxW(GetParent(page), w->t(L"FolderInvalid").c_str(), w->t(L"SetupCaption").c_str(),
                        MB_OK | MB_ICONWARNING);
            return result(page, -1);
        }
    }
    return FALSE;
}

DWORD WINAPI installThread(void* parameter) {
    auto* page = static_cast<HWND>(parameter);
    Wizard* w = wizardOf(page);
    PostingObserver observer(page);
    std::wstring error;
    const bool ok = w->installer->prepare(error) && w->installer->run(observer, error);
    w->error = error;
    PostMessageW(page, kDoneMessage, ok, 0);
    return 0;
}

INT_PTR CALLBACK progressProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        initPage(page, lParam);
        SendDlgItemMessageW(page, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
        return TRUE;
    }
    Wizard* w = wizardOf(page);
    switch (message) {
        case kStatusMessage: {
            std::unique_ptr<std::wstring> text(reinterpret_cast<std::wstring*>(lParam));
            SetDlgItemTextW(page, IDC_STATUS, text->c_str());
            return TRUE;
        }
        case kProgressMessage:
            SendDlgItemMessageW(page, IDC_PROGRESS, PBM_SETPOS, wParam, 0);
            return TRUE;
        case kDoneMessage:
            w->installing = false;
            if (wParam) {
                w->installed = true;
                w->exitCode = kExitSuccess;
            } else {
                w->failed = true;
                w->exitCode = kExitFailed;
                MessageBoxW(GetParent(page),
                            formatText(w->session.text(L"FailedText"), {w->appName, w->error}).c_str(),
                            w->t(L"SetupCaption").c_str(), MB_OK | MB_ICONERROR);
            }
            PropSheet_PressButton(GetParent(page), PSBTN_NEXT);
            return TRUE;
        case WM_NOTIFY:
            break;
        default:
            return FALSE;
    }
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE:
            setButtons(page, w, 0);
            EnableWindow(GetDlgItem(GetParent(page), IDCANCEL), FALSE);
            if (!w->installing && !w->installed && !w->failed) {
                w->installing = true;
                SetDlgItemTextW(page, IDC_STATUS, w->t(L"StatusPreparing").c_str());
                w->variables =
                    std::make_unique<PathExpander>(w->session.description(), w->session.setupFolder());
                w->variables->setInstallDir(w->installDir);
                w->installer = std::make_unique<Installer>(w->session.file(), w->session.description(),
                                                           w->session.cabinets(), w->session.fileSizes(),
                                                           *w->variables, w->session.strings());
                if (HANDLE thread = CreateThread(nullptr, 0, installThread, page, 0, nullptr))
                    CloseHandle(thread);
                else
                    PostMessageW(page, kDoneMessage, FALSE, 0);
            }
            return result(page, 0);
        case PSN_WIZBACK:
            return result(page, -1);
        case PSN_WIZNEXT:
            return result(page, w->installing ? -1 : 0);
        case PSN_QUERYCANCEL:
            return queryCancel(page, w);
    }
    return FALSE;
}

INT_PTR CALLBACK finishProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT painted = 0;
    if (paintExterior(page, message, wParam, painted)) return painted;
    if (message == WM_INITDIALOG) {
        Wizard* w = initPage(page, lParam);
        SendDlgItemMessageW(page, IDC_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(w->titleFont), FALSE);
        const int slots[] = {IDC_RESTART, IDC_LAUNCH, IDC_VIEWREADME, IDC_VISITSITE};
        for (std::size_t i = 0; i < w->offerSlots.size(); ++i) {
            RECT r;
            GetWindowRect(GetDlgItem(page, slots[i]), &r);
            MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
            w->offerSlots[i] = {r.left, r.top};
        }
        return TRUE;
    }
    if (message != WM_NOTIFY) return FALSE;
    Wizard* w = wizardOf(page);
    const Description& d = w->session.description();
    struct Offer {
        int id;
        bool offered;
        bool checked;
        const wchar_t* key;
    };
    // Restart excludes the other offers; it is checked by default, since the author asked for it.
    const Offer offers[] = {
        {IDC_RESTART, d.flag(Setting::Restart), true, L"FinishRestart"},
        {IDC_LAUNCH,
         !d.flag(Setting::Restart) && d.flag(Setting::LaunchFile) && !d.text(Setting::LaunchFileName).empty(),
         d.flag(Setting::LaunchChecked), L"FinishLaunch"},
        {IDC_VIEWREADME,
         !d.flag(Setting::Restart) && d.flag(Setting::ViewReadme) &&
             !d.text(Setting::ViewReadmeFileName).empty(),
         d.flag(Setting::ViewReadmeChecked), L"FinishReadme"},
        {IDC_VISITSITE,
         !d.flag(Setting::Restart) && d.flag(Setting::VisitSite) &&
             !d.text(Setting::VisitSiteAddress).empty(),
         d.flag(Setting::VisitSiteChecked), L"FinishSite"},
    };
    switch (reinterpret_cast<NMHDR*>(lParam)->code) {
        case PSN_SETACTIVE: {
            setButtons(page, w, PSWIZB_FINISH);
            EnableWindow(GetDlgItem(GetParent(page), IDCANCEL), FALSE);
            SetDlgItemTextW(page, IDC_TITLE, w->t(w->failed ? L"FailedTitle" : L"FinishTitle").c_str());
            SetDlgItemTextW(page, IDC_TEXT,
                            w->failed
                                ? formatText(w->session.text(L"FailedText"), {w->appName, w->error}).c_str()
                                : w->t(L"FinishText").c_str());
            std::size_t slot = 0;
            for (const Offer& o : offers) {
                const bool show = o.offered && !w->failed;
                if (show) {
                    const POINT at = w->offerSlots[slot++];
                    SetWindowPos(GetDlgItem(page, o.id), nullptr, at.x, at.y, 0, 0,
                                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                }
                SetDlgItemTextW(page, o.id, w->t(o.key).c_str());
                ShowWindow(GetDlgItem(page, o.id), show ? SW_SHOW : SW_HIDE);
                CheckDlgButton(page, o.id, show && o.checked ? BST_CHECKED : BST_UNCHECKED);
            }
            focusDefaultButton(page, kFinishButton);
            return result(page, 0);
        }
        case PSN_QUERYCANCEL:
            return result(page, FALSE);
        case PSN_WIZFINISH: {
            if (w->failed) return result(page, 0);
            std::wstring target, error;
            if (IsDlgButtonChecked(page, IDC_LAUNCH) == BST_CHECKED &&
                w->variables->expandPath(d.text(Setting::LaunchFileName), target, error))
                openWithShell(target);
            if (IsDlgButtonChecked(page, IDC_VIEWREADME) == BST_CHECKED &&
                w->variables->expandPath(d.text(Setting::ViewReadmeFileName), target, error))
                openWithShell(target);
            if (IsDlgButtonChecked(page, IDC_VISITSITE) == BST_CHECKED &&
                w->variables->expandText(d.text(Setting::VisitSiteAddress), target, error))
                openWithShell(target);
            if (IsDlgButtonChecked(page, IDC_RESTART) == BST_CHECKED && !w->options.noRestart)
                restartComputer();
            return result(page, 0);
        }
    }
    return FALSE;
}

// The setup's icon: its header picture, for the language dialog and the wizard.
HICON g_icon = nullptr;

INT_PTR CALLBACK languageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* session = reinterpret_cast<SetupSession*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    if (message == WM_INITDIALOG) {
        session = reinterpret_cast<SetupSession*>(lParam);
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        // The first window of the setup: in front, so the keyboard works without a click, and
        // with the setup's icon, as the wizard after it.
        SetForegroundWindow(dialog);
        if (g_icon) {
            SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_icon));
            SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_icon));
        }
        SetWindowTextW(dialog, session->text(L"LanguageTitle").c_str());
        SetDlgItemTextW(dialog, IDC_TEXT, session->text(L"LanguagePrompt").c_str());
        SetDlgItemTextW(dialog, IDOK, session->text(L"ButtonOK").c_str());
        SetDlgItemTextW(dialog, IDCANCEL, session->text(L"ButtonCancel").c_str());
        const HWND list = GetDlgItem(dialog, IDC_LANGUAGES);
        for (const std::wstring& l : session->languages()) {
            const LRESULT index = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(l.c_str()));
            if (l == session->language()) SendMessageW(list, CB_SETCURSEL, WPARAM(index), 0);
        }
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        if (LOWORD(wParam) == IDOK) {
            const HWND list = GetDlgItem(dialog, IDC_LANGUAGES);
            const LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
            wchar_t name[256] = L"";
            if (index >= 0 && SendMessageW(list, CB_GETLBTEXTLEN, WPARAM(index), 0) < 256)
                SendMessageW(list, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(name));
            session->chooseLanguage(name);
        }
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// The sheet as a main window: centred on the screen, minimisable, with the setup's picture as
// its icon, and in front with the keyboard focus.

int CALLBACK sheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message != PSCB_INITIALIZED) return 0;
    SetWindowLongPtrW(sheet, GWL_STYLE, GetWindowLongPtrW(sheet, GWL_STYLE) | WS_MINIMIZEBOX);
    if (g_icon) {
        SendMessageW(sheet, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(g_icon));
        SendMessageW(sheet, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_icon));
    }
    RECT window, area;
    GetWindowRect(sheet, &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int width = window.right - window.left, height = window.bottom - window.top;
    SetWindowPos(sheet, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    PostMessageW(sheet, WM_NULL, 0, 0);
    SetForegroundWindow(sheet);
    return 0;
}

HICON iconFrom(HBITMAP picture) {
    const int side = GetSystemMetrics(SM_CXICON);
    ICONINFO info{TRUE};
    info.hbmColor = fitted(picture, side, side);
    const std::vector<BYTE> opaque(std::size_t((side + 15) / 16 * 2 * side), 0);
    info.hbmMask = CreateBitmap(side, side, 1, 1, opaque.data());
    HICON icon = info.hbmColor && info.hbmMask ? CreateIconIndirect(&info) : nullptr;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return icon;
}

}  // namespace

int runWizard(HINSTANCE instance, SetupSession& session, const SetupOptions& options,
              std::vector<std::wstring>& report) {
    // The common controls are no KnownDLL either. Loaded by name they come from Windows' own
    // side-by-side store (Common Controls 6, as the manifest asks), never from beside the setup.
    const HMODULE commonControls = loadSystemLibrary(L"comctl32.dll");
    const auto initControls =
        systemFunction<decltype(InitCommonControlsEx)>(commonControls, "InitCommonControlsEx");
    const auto createPage =
        systemFunction<decltype(CreatePropertySheetPageW)>(commonControls, "CreatePropertySheetPageW");
    const auto showSheet = systemFunction<decltype(PropertySheetW)>(commonControls, "PropertySheetW");
    if (!initControls || !createPage || !showSheet) {
        reportError(session, options, L"The wizard cannot be shown: comctl32.dll could not be loaded.");
        return kExitFailed;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    initControls(&controls);
    const HBITMAP header = bitmapFrom(session.member(contract::member::kHeaderBitmap));
    g_icon = iconFrom(header);
    if (session.languages().size() > 1 && options.language.empty() &&
        DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_LANGUAGE), nullptr, languageProc,
                        reinterpret_cast<LPARAM>(&session)) != IDOK)
        return kExitCancelled;

    Wizard w{session, options};
    const Description& d = session.description();
    w.appName = d.text(Setting::AppName);
    w.appVersion = d.text(Setting::AppVersion);
    w.installDir = options.installDir.empty() ? session.proposedInstallDir() : options.installDir;
    if (loadSystemLibrary(L"msftedit.dll"))
        w.documentClass = MSFTEDIT_CLASS;
    else if (loadSystemLibrary(L"riched20.dll"))
        w.documentClass = RICHEDIT_CLASSW;
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    w.titleFont = CreateFontW(-MulDiv(12, dpi, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                              L"MS Shell Dlg 2");

    const wchar_t* caption = w.keep(w.t(L"SetupCaption"));
    std::array<HPROPSHEETPAGE, kMaxPages> pages{};
    UINT count = 0;
    auto add = [&](int id, DLGPROC proc, const wchar_t* titleKey, const wchar_t* subtitleKey) {
        if (count == pages.size()) return;  // kMaxPages names every page there is
        PROPSHEETPAGEW p{sizeof p};
        p.dwFlags = PSP_USETITLE | (titleKey ? PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE : PSP_HIDEHEADER);
        p.hInstance = instance;
        p.pszTemplate = MAKEINTRESOURCEW(id);
        p.pfnDlgProc = proc;
        p.lParam = reinterpret_cast<LPARAM>(&w);
        p.pszTitle = caption;
        if (titleKey) {
            p.pszHeaderTitle = w.keep(w.t(titleKey));
            p.pszHeaderSubTitle = w.keep(w.t(subtitleKey));
        }
        pages[count++] = createPage(&p);
    };
    add(IDD_WELCOME, welcomeProc, nullptr, nullptr);
    if (d.flag(Setting::License) && session.document(L'L'))
        add(IDD_LICENSE, documentProc, L"LicenseTitle", L"LicenseSubtitle");
    if (d.flag(Setting::Readme) && session.document(L'R'))
        add(IDD_README, documentProc, L"ReadmeTitle", L"ReadmeSubtitle");
    if (d.flag(Setting::Protect)) add(IDD_PASSWORD, passwordProc, L"PasswordTitle", L"PasswordSubtitle");
    add(IDD_FOLDER, folderProc, L"FolderTitle", L"FolderSubtitle");
    add(IDD_PROGRESS, progressProc, L"ProgressTitle", L"ProgressSubtitle");
    add(IDD_FINISH, finishProc, nullptr, nullptr);

    // No watermark for the sheet to paint: the welcome and finish pages draw the picture.
    PROPSHEETHEADERW sheet{sizeof sheet};
    sheet.dwFlags = PSH_WIZARD97 | PSH_HEADER | PSH_USEHBMHEADER | PSH_USECALLBACK;
    sheet.hInstance = instance;
    sheet.pfnCallback = sheetCallback;
    w.white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    w.wizardPicture = bitmapFrom(session.member(contract::member::kWizardBitmap));
    sheet.hbmHeader = fitted(header, scaled(kHeaderSide), scaled(kHeaderSide));
    sheet.nPages = count;
    sheet.phpage = pages.data();
    sheet.pszCaption = caption;
    showSheet(&sheet);
    if (w.installer) report.insert(report.end(), w.installer->report().begin(), w.installer->report().end());
    return w.exitCode;
}

}  // namespace corvane::rt
