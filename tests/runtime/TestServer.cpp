// A tiny self-registering DLL for the runtime's tests: registering it writes a marker value,
// unregistering removes it, so the tests can see Setup.exe and Uninstall.exe call both.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT DllRegisterServer() {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Corvane Test Server", 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr))
        return E_FAIL;
    const DWORD one = 1;
    RegSetValueExW(key, L"Registered", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT DllUnregisterServer() {
    return RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Corvane Test Server") == ERROR_SUCCESS ? S_OK
                                                                                               : E_FAIL;
}
