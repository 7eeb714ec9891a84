// The installer of make dist, in both modes: a silent install, an upgrade
// while Kronvik runs, a silent uninstall. Run only when named, with the
// installer's Linux path in KV_E2E_SETUP (tools/dist-e2e.sh).
#include "harness.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace e2e {
namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t text[MAX_PATH * 2];
    const DWORD n = ExpandEnvironmentStringsW((std::wstring(L"%") + name + L"%").c_str(), text, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 && text[0] != L'%' ? std::wstring(text) : std::wstring();
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

DWORD Run(std::wstring command) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Require(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi),
            "could not start " + Utf8(command));
    CloseHandle(pi.hThread);
    const DWORD waited = WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    Require(waited == WAIT_OBJECT_0, "still running after 60 s: " + Utf8(command));
    return code;
}

// The deletions queued for the next restart (MoveFileEx with
// MOVEFILE_DELAY_UNTIL_REBOOT): pairs of a path and its new name, empty for
// a deletion.
const wchar_t* const kSessionManager = L"System\\CurrentControlSet\\Control\\Session Manager";
std::vector<std::wstring> QueuedDeletions() {
    std::vector<wchar_t> queued(16384, L'\0');
    DWORD size = static_cast<DWORD>((queued.size() - 2) * sizeof(wchar_t));
    std::vector<std::wstring> paths;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ,
                     nullptr, queued.data(), &size) != ERROR_SUCCESS)
        return paths;
    const wchar_t* end = queued.data() + size / sizeof(wchar_t);
    for (const wchar_t* p = queued.data(); p < end && *p;) {
        const wchar_t* to = p + wcslen(p) + 1;
        if (to < end && *to == L'\0') paths.emplace_back(p);
        p = to + wcslen(to) + 1;
    }
    return paths;
}

bool Queued(const std::wstring& path) {
    const auto queued = QueuedDeletions();
    return std::any_of(queued.begin(), queued.end(), [&](const std::wstring& q) { return _wcsicmp(q.c_str(), path.c_str()) == 0; });
}

// What a restart does with them: a test prefix of Wine never restarts.
void Restart() {
    for (const std::wstring& path : QueuedDeletions()) {
        const std::wstring local = path.rfind(L"\\??\\", 0) == 0 ? path.substr(4) : path;
        if (!DeleteFileW(local.c_str())) RemoveDirectoryW(local.c_str());
    }
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations");
}

void InstallUpgradeUninstall(bool allUsers) {
    static const std::wstring buildExe = g_kronvikExe;
    g_kronvikExe = buildExe;
    Restart();
    const char* linuxSetup = std::getenv("KV_E2E_SETUP");
    Require(linuxSetup && *linuxSetup, "KV_E2E_SETUP names no installer");
    std::wstring setup = L"Z:" + std::wstring(linuxSetup, linuxSetup + std::strlen(linuxSetup));
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
    // A failed run may have left its installation behind.
    if (!apps(L"QuietUninstallString").empty()) {
        Note("removing an earlier run's installation");
        Run(apps(L"QuietUninstallString"));
        WaitFor([&] { return apps(L"DisplayName").empty() && !Exists(dir + L"\\kronvik.exe"); }, 20000);
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
    const RegValue run = ReadValue(runKey, L"Kronvik");
    if (allUsers) {
        Check(!run.present, "the all-users mode wrote a Run value: " + Describe(run));
        Check(Exists(task), "no logon task " + Utf8(task));
    } else {
        Check(run.text == L"\"" + dir + L"\\kronvik.exe\"", "Run value " + Describe(run));
        Check(!Exists(task), "the per-user mode registered a task");
    }
    const std::wstring name = setup.substr(setup.find_last_of(L'\\') + 1);
    const std::wstring version = name.substr(8, name.find(L"-setup") - 8);
    Check(apps(L"DisplayName") == L"Kronvik" && apps(L"DisplayVersion") == version && !apps(L"Publisher").empty(),
          "Apps entry: " + Utf8(apps(L"DisplayName")) + " " + Utf8(apps(L"DisplayVersion")) + " by " +
              Utf8(apps(L"Publisher")) + ", expected version " + Utf8(version));
    Check(apps(L"DisplayIcon").find(dir + L"\\kronvik.exe") != std::wstring::npos, "DisplayIcon " + Utf8(apps(L"DisplayIcon")));
    const std::wstring quiet = apps(L"QuietUninstallString");
    Check(!apps(L"UninstallString").empty() && quiet.find(L"/S") != std::wstring::npos, "QuietUninstallString " + Utf8(quiet));

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
    // The per-user uninstaller goes on in a copy of itself. The all-users one
    // runs in place and, where the running exe cannot be moved (Wine), its
    // exe and folder are queued for the next restart.
    Check(WaitFor([&] { return apps(L"DisplayName").empty() && !Exists(dir + L"\\kronvik.exe"); }, 20000),
          "the uninstall left the Apps entry or kronvik.exe");
    if (allUsers && Exists(dir)) {
        Check(Queued(L"\\??\\" + dir + L"\\uninstall.exe"), "left and not queued for the restart: " + Utf8(dir));
        Restart();
    }
    Check(!Exists(dir), "after the uninstall " + Utf8(dir) + " is still there");
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
