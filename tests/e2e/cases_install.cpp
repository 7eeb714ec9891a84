// The installer of make dist, in both modes: a silent install, an upgrade
// while Kronvik runs, a silent uninstall. Run only when named, with the
// installer's Linux path in KV_E2E_SETUP (ctest sets it).
#include "harness.h"

namespace e2e {
namespace {

std::wstring Env(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD Run(std::wstring command) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Require(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi),
            "could not start " + Utf8(command));
    const DWORD waited = WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    Require(waited == WAIT_OBJECT_0, "still running after 60 s: " + Utf8(command));
    return code;
}

// What a restart does with the deletions queued for it (pairs of a path and
// an empty new name): a Wine prefix under test never restarts.
void Restart() {
    const wchar_t* key = L"System\\CurrentControlSet\\Control\\Session Manager";
    std::vector<wchar_t> queued(16384, L'\0');
    DWORD size = static_cast<DWORD>((queued.size() - 2) * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr,
                     queued.data(), &size) != ERROR_SUCCESS)
        return;
    const wchar_t* end = queued.data() + size / sizeof(wchar_t);
    for (const wchar_t* p = queued.data(); p < end && *p;) {
        const wchar_t* to = p + wcslen(p) + 1;
        const std::wstring path = std::wstring(p).substr(wcsncmp(p, L"\\??\\", 4) == 0 ? 4 : 0);
        if (to < end && *to == L'\0' && !DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
        p = to + wcslen(to) + 1;
    }
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key, L"PendingFileRenameOperations");
}

void InstallUpgradeUninstall(bool allUsers) {
    static const std::wstring buildExe = g_kronvikExe;
    g_kronvikExe = buildExe;
    Restart();
    std::wstring setup = L"Z:" + Env(L"KV_E2E_SETUP");
    Require(setup.size() > 2, "KV_E2E_SETUP names no installer");
    for (wchar_t& c : setup) c = c == L'/' ? L'\\' : c;
    const std::wstring install = L"\"" + setup + L"\" /S" + (allUsers ? L" /ALLUSERS" : L"");
    const std::wstring dir = allUsers ? Env(L"ProgramFiles") + L"\\Kronvik" : Env(L"LOCALAPPDATA") + L"\\Programs\\Kronvik";
    const std::wstring shortcut = (allUsers ? Env(L"ProgramData") : Env(L"APPDATA")) +
                                  L"\\Microsoft\\Windows\\Start Menu\\Programs\\Kronvik.lnk";
    const std::wstring task = Env(L"windir") + L"\\system32\\tasks\\Kronvik";
    const std::wstring appsKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kronvik";
    const std::wstring runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const HKEY appsRoot = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    auto apps = [&](const wchar_t* name) {
        wchar_t text[1024];
        DWORD size = sizeof text;
        return RegGetValueW(appsRoot, appsKey.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS
                   ? std::wstring(text) : std::wstring();
    };
    // The per-user uninstaller goes on in a copy of itself. The all-users one
    // runs in place and, where the running exe cannot be moved (Wine), its
    // exe and folder are queued for the next restart.
    auto uninstalled = [&] { return apps(L"DisplayName").empty() && (allUsers || !Exists(dir)); };
    // A failed run may have left its installation behind.
    if (!apps(L"QuietUninstallString").empty()) {
        Note("removing an earlier run's installation");
        Run(apps(L"QuietUninstallString"));
        WaitFor(uninstalled, 20000);
        Restart();
    }
    Require(!Exists(dir) && apps(L"DisplayName").empty(), "an earlier run left an installation in " + Utf8(dir));

    // Settings from a first start of the build's exe, pointed at 127.0.0.1 only.
    Kronvik::StartResident();
    KillStarted();
    WriteString(kFlagKey, L"SNTP", L"127.0.0.1");
    WriteString(kFlagKey, L"PROXYADR", L"127.0.0.1");
    WriteString(kFlagKey, L"PROXYPORT", L"9");
    PlantAppointment();

    Require(Run(install) == 0, "the silent install failed");
    const std::vector<std::wstring> files{L"uninstall.exe", L"kronvik.exe", L"README.txt", L"LICENSE", L"THIRD-PARTY-NOTICES.txt"};
    for (const std::wstring& file : files)
        Check(Exists(dir + L"\\" + file), "not installed: " + Utf8(dir + L"\\" + file));
    Check(Exists(shortcut), "no Start menu shortcut " + Utf8(shortcut));
    // The Run value in the per-user mode, the task in its place for all users.
    const RegValue run = ReadValue(runKey, L"Kronvik");
    Check(allUsers ? !run.present : run.text == L"\"" + dir + L"\\kronvik.exe\"", "Run value " + Describe(run));
    Check(Exists(task) == allUsers, "logon task " + Utf8(task) + (allUsers ? " missing" : " registered"));
    const std::wstring name = setup.substr(setup.find_last_of(L'\\') + 1);
    const std::wstring version = name.substr(8, name.find(L"-setup") - 8);
    Check(apps(L"DisplayName") == L"Kronvik" && apps(L"DisplayVersion") == version && !apps(L"Publisher").empty(),
          "Apps entry: " + Utf8(apps(L"DisplayName")) + " " + Utf8(apps(L"DisplayVersion")) + " by " +
              Utf8(apps(L"Publisher")) + ", expected version " + Utf8(version));
    const std::wstring quiet = apps(L"QuietUninstallString");
    Check(apps(L"DisplayIcon").find(dir + L"\\kronvik.exe") == 1 && !apps(L"UninstallString").empty() &&
              quiet.find(L"/S") != std::wstring::npos, "DisplayIcon or QuietUninstallString: " + Utf8(quiet));

    // Started from the installed exe, Kronvik shows the clock. Its caption
    // display is then switched off in the registry: the Kronvik the upgrade
    // starts reads it and leaves the caption as the old one gave it back.
    g_kronvikExe = dir + L"\\kronvik.exe";
    Kronvik old = Kronvik::StartResident();
    Probe probe(L"install probe");
    ShowClockIn(probe, L"install probe", "installed Kronvik");
    WriteDword(kFlagKey, L"DSP_FLAG", 2);

    Require(Run(install) == 0, "the upgrade failed");
    ExpectExitZero(old, 1000, "the upgrade");
    Check(probe.Caption() == L"install probe", "caption after the upgrade: " + Quote(probe.Caption()));
    Check(WaitFor(InstanceMutexExists, 5000), "the upgrade did not start Kronvik again");
    SleepMs(1500);
    Check(probe.Caption() == L"install probe", "the upgraded Kronvik, display off, wrote " + Quote(probe.Caption()));
    Check(ReadValue(kFlagKey, L"DSP_FLAG").dword == 2 && AppointmentPresent(), "settings or schedule lost in the upgrade");

    // The quiet uninstall as Apps runs it; the all-users one also deletes the settings.
    std::wstring uninstall = quiet;
    if (allUsers) uninstall.insert(uninstall.find(L"/S") + 2, L" /DELSETTINGS");
    Run(uninstall);
    Check(WaitFor(uninstalled, 20000), "the uninstall left the Apps entry or " + Utf8(dir));
    if (allUsers) Restart();
    Check(!Exists(dir), "after the uninstall (and a restart) " + Utf8(dir) + " is still there");
    Check(!InstanceMutexExists(), "Kronvik still runs after the uninstall");
    Check(!Exists(shortcut) && !ReadValue(runKey, L"Kronvik").present && !Exists(task),
          "the shortcut, the Run value or the task is left");
    if (allUsers) {
        Check(!KeyExists(kVelkKey), "the uninstall that deletes the settings left Software\\Velk");
    } else {
        Check(ReadValue(kFlagKey, L"SNTP").text == L"127.0.0.1" && AppointmentPresent(),
              "the quiet uninstall did not keep the settings and the schedule");
    }
}

}  // namespace

E2E_CASE(install_per_user, kOnDemandBatch) { InstallUpgradeUninstall(false); }
E2E_CASE(install_all_users, kOnDemandBatch) { InstallUpgradeUninstall(true); }

}  // namespace e2e
