#include "FinishActions.h"

// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "ComPtr.h"

namespace corvane::rt {

namespace {

// A string for automation, freed when it goes out of scope.
class Bstr {
public:
    explicit Bstr(const std::wstring& text) : m_text(SysAllocStringLen(text.data(), UINT(text.size()))) {}
    ~Bstr() { SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return m_text; }
    VARIANT variant() const {
        VARIANT v{};
        v.vt = VT_BSTR;
        v.bstrVal = m_text;
        return v;
    }

private:
    BSTR m_text;
};

// Hands the target to the desktop's own shell process (Explorer), which opens it with its own
// token: the user logged on to the desktop, not elevated as the setup is. The way there: the
// desktop among the shell's windows, its browser, the browser's view, the view's automation
// object and that object's application, whose ShellExecute runs inside Explorer. Returns false
// where any step fails (no Explorer, another shell); Explorer reports no failure of its own.
bool openOnDesktop(const std::wstring& target, const std::wstring& folder) {
    ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.out())))
        return false;
    VARIANT desktop{};
    desktop.vt = VT_I4;
    desktop.lVal = CSIDL_DESKTOP;
    VARIANT none{};
    long window = 0;
    ComPtr<IDispatch> found;
    if (windows->FindWindowSW(&desktop, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, found.put()) !=
            S_OK ||
        !found.get())
        return false;
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> view;
    ComPtr<IDispatch> viewObject;
    ComPtr<IShellFolderViewDual> folderView;
    ComPtr<IDispatch> application;
    ComPtr<IShellDispatch2> shell;
    if (FAILED(found->QueryInterface(IID_IServiceProvider, services.out())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.out())) ||
        FAILED(browser->QueryActiveShellView(view.put())) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, viewObject.out())) ||
        FAILED(viewObject->QueryInterface(IID_IShellFolderViewDual, folderView.out())) ||
        FAILED(folderView->get_Application(application.put())) ||
        FAILED(application->QueryInterface(IID_IShellDispatch2, shell.out())))
        return false;
    // What Explorer starts may take the foreground from the setup's window.
    DWORD explorer = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(LONG_PTR(window)), &explorer);
    if (explorer) AllowSetForegroundWindow(explorer);
    const Bstr file(target), directory(folder), verb(L"open");
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    return file.get() && directory.get() && verb.get() &&
           SUCCEEDED(shell->ShellExecute(file.get(), none, directory.variant(), verb.variant(), show));
}

}  // namespace

bool openWithShell(const std::wstring& target) {
    if (target.empty()) return false;
    std::wstring folder;
    const std::size_t slash = target.rfind(L'\\');
    if (target.find(L"://") == std::wstring::npos && slash != std::wstring::npos)
        folder = target.substr(0, slash);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool opened = openOnDesktop(target, folder);
    if (SUCCEEDED(com)) CoUninitialize();
    if (opened) return true;
    // No desktop shell to ask: this process opens it, with this process's rights.
    SHELLEXECUTEINFOW info{sizeof info};
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = target.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info);
}

bool restartComputer() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
    TOKEN_PRIVILEGES privileges{1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
    const bool granted = LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) &&
                         AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                         GetLastError() != ERROR_NOT_ALL_ASSIGNED;
    CloseHandle(token);
    return granted &&
           ExitWindowsEx(EWX_REBOOT, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION |
                                         SHTDN_REASON_FLAG_PLANNED);
}

}  // namespace corvane::rt
