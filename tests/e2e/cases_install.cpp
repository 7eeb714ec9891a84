// The installer of make dist: both modes' install, upgrade while Kronvik runs
// and uninstall; files still in use; modes that do not mix. Run only when
// named, with the installer's Linux path in KV_E2E_SETUP (ctest sets it).
// Wine starts every process elevated; an administrator's start from the
// desktop is the token's unelevated half.
#include <algorithm>

#include "harness.h"

namespace e2e {
namespace {

const std::wstring kAppsKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kronvik";
const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const kSessionManager = L"System\\CurrentControlSet\\Control\\Session Manager";
constexpr DWORD kRestartNeeded = 3010;

std::wstring Env(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A process the case starts, with this process's token or its unelevated
// half; ended, if still running, when it goes (a Unix program's handle never
// signals, so that wait is short).
class Started {
public:
    explicit Started(std::wstring command, bool unelevated = false, DWORD flags = 0, const wchar_t* desktop = nullptr) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.lpDesktop = const_cast<wchar_t*>(desktop);
        HANDLE own = nullptr, token = nullptr;
        TOKEN_LINKED_TOKEN linked{};
        DWORD size = 0;
        OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &own);
        if (unelevated) GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size);
        DuplicateTokenEx(unelevated ? linked.LinkedToken : own, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation,
                         TokenPrimary, &token);
        const BOOL ok = CreateProcessAsUserW(token, nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                             nullptr, &si, &pi_);
        for (HANDLE h : {own, token, linked.LinkedToken}) if (h) CloseHandle(h);
        Require(ok, "could not start " + Utf8(command));
    }
    ~Started() {
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 1000);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    DWORD pid() const { return pi_.dwProcessId; }
    std::optional<DWORD> Exit(DWORD timeoutMs) const {
        DWORD code = 0;
        if (WaitForSingleObject(pi_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_{};
};

DWORD Run(const std::wstring& command, bool unelevated = false) {
    const auto code = Started(command, unelevated).Exit(60000);
    Require(code.has_value(), "still running after 60 s: " + Utf8(command));
    return *code;
}

std::wstring Apps(HKEY root, const wchar_t* name) {
    wchar_t text[1024];
    DWORD size = sizeof text;
    return RegGetValueW(root, kAppsKey.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS
               ? std::wstring(text) : std::wstring();
}

// A log, UTF-16 after its byte order mark; the next run starts a new one.
std::wstring TakeLog(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"";
    std::wstring text(GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
    DWORD got = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &got, nullptr);
    CloseHandle(file);
    DeleteFileW(path.c_str());
    return text;
}

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

DWORD FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

// The paths queued for deletion at the next restart (pairs of a path and an
// empty new name).
std::vector<std::wstring> PendingDeletions() {
    std::vector<wchar_t> queued(16384, L'\0');
    DWORD size = static_cast<DWORD>((queued.size() - 2) * sizeof(wchar_t));
    std::vector<std::wstring> paths;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ,
                     nullptr, queued.data(), &size) != ERROR_SUCCESS)
        return paths;
    const wchar_t* end = queued.data() + size / sizeof(wchar_t);
    for (const wchar_t* p = queued.data(); p < end && *p;) {
        const wchar_t* to = p + wcslen(p) + 1;
        if (to < end && *to == L'\0') paths.push_back(std::wstring(p).substr(wcsncmp(p, L"\\??\\", 4) == 0 ? 4 : 0));
        p = to + wcslen(to) + 1;
    }
    return paths;
}

// What a restart does with them: a Wine prefix under test never restarts.
void Restart() {
    for (const std::wstring& path : PendingDeletions())
        if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations");
}

// The company in the exe's version information (its one block, Japanese, UTF-16).
std::wstring CompanyName(const std::wstring& exe) {
    std::vector<BYTE> info(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
    wchar_t* text = nullptr;
    UINT length = 0;
    return !info.empty() && GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) &&
                   VerQueryValueW(info.data(), L"\\StringFileInfo\\041104b0\\CompanyName",
                                  reinterpret_cast<void**>(&text), &length)
               ? text : L"";
}

struct Setup {
    std::wstring exe;
    std::wstring version;
    std::wstring allUsersDir = Env(L"ProgramFiles") + L"\\Kronvik";
    std::wstring userDir = Env(L"LOCALAPPDATA") + L"\\Programs\\Kronvik";
    std::wstring task = Env(L"windir") + L"\\system32\\tasks\\Kronvik";
    std::wstring log = Env(L"TEMP") + L"\\kronvik-setup.log";
    std::wstring Command(const std::wstring& args) const { return L"\"" + exe + L"\" " + args; }
};

// The installer under test, with what an earlier run left removed and the
// settings pointed at 127.0.0.1 only.
Setup PrepareSetup() {
    static const std::wstring buildExe = g_kronvikExe;
    g_kronvikExe = buildExe;
    Setup s;
    s.exe = L"Z:" + Env(L"KV_E2E_SETUP");
    Require(s.exe.size() > 2, "KV_E2E_SETUP names no installer");
    for (wchar_t& c : s.exe) c = c == L'/' ? L'\\' : c;
    const std::wstring name = s.exe.substr(s.exe.find_last_of(L'\\') + 1);
    s.version = name.substr(8, name.find(L"-setup") - 8);
    Restart();
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        const std::wstring quiet = Apps(root, L"QuietUninstallString");
        if (quiet.empty()) continue;
        Note("removing an earlier run's installation");
        Run(quiet);
        WaitFor([&] { return Apps(root, L"DisplayName").empty(); }, 20000);
        Restart();
    }
    Require(Apps(HKEY_LOCAL_MACHINE, L"DisplayName").empty() && !Exists(s.userDir), "an earlier run left an installation");
    Kronvik::StartResident();
    KillStarted();
    WriteString(kFlagKey, L"SNTP", L"127.0.0.1");
    WriteString(kFlagKey, L"PROXYADR", L"127.0.0.1");
    WriteString(kFlagKey, L"PROXYPORT", L"9");
    return s;
}

// The usage, shown, and nothing installed.
void ShowsUsage(const Setup& s) {
    const Started setup(s.Command(L"/?"));
    const HWND box = WaitVisibleWindow(setup.pid(), L"#32770", nullptr, 10000);
    const bool usage = box && Contains(MessageBoxText(box), L"/LOG=");
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
    Check(usage && setup.Exit(10000) == 0u && !Exists(s.userDir), "no usage for /?, or the installer went on");
}

// A symbolic link made on the Unix side, a reparse point to Windows, is
// refused as the all-users folder; nothing is written where it leads.
void RefusesLink(const Setup& s) {
    const std::wstring target = Env(L"TEMP"), link = Env(L"ProgramFiles") + L"\\KronvikLink";
    auto unixPath = [](std::wstring path) {
        for (wchar_t& c : path) c = c == L'\\' ? L'/' : c;
        return L" \"" + Env(L"WINEPREFIX") + L"/drive_c" + path.substr(2) + L"\"";
    };
    // Wine never signals the end of a Unix program: the link itself is waited for.
    { const Started ln(L"Z:\\bin\\ln -s" + unixPath(target) + unixPath(link)); }
    Require(WaitFor([&] { return Exists(link); }, 5000), "no link made");
    Check(Run(s.Command(L"/S /ALLUSERS /D=") + link) == 2 && !Exists(target + L"\\kronvik.exe"), "a link was not refused");
    { const Started rm(L"Z:\\bin\\rm" + unixPath(link)); }
    WaitFor([&] { return !Exists(link); }, 5000);
}

void InstallUpgradeUninstall(bool allUsers) {
    const Setup s = PrepareSetup();
    PlantAppointment();
    // Started elevated, the all-users installer leaves this account's Run value alone.
    WriteString(kRunKey, L"Kronvik", L"planted");
    // For all users a folder given with a short name, and with & in it, which XML escapes in the task.
    wchar_t shortName[MAX_PATH] = L"";
    GetShortPathNameW(Env(L"ProgramFiles").c_str(), shortName, MAX_PATH);
    const std::wstring install =
        s.Command(allUsers ? L"/S /ALLUSERS /D=" + std::wstring(shortName) + L"\\Kronvik & Co" : L"/S");
    const std::wstring dir = allUsers ? Env(L"ProgramFiles") + L"\\Kronvik & Co" : s.userDir;
    const std::wstring shortcut = (allUsers ? Env(L"ProgramData") : Env(L"APPDATA")) +
                                  L"\\Microsoft\\Windows\\Start Menu\\Programs\\Kronvik.lnk";
    const HKEY root = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    if (allUsers) RefusesLink(s);
    else ShowsUsage(s);

    // Exit code 4 would mean that the task was refused.
    Require(Run(install) == 0, "the silent install failed");
    for (const wchar_t* file : {L"uninstall.exe", L"kronvik.exe", L"README.txt", L"LICENSE", L"THIRD-PARTY-NOTICES.txt"})
        Check(Exists(dir + L"\\" + file), "not installed: " + Utf8(dir + L"\\" + file));
    Check(Exists(shortcut), "no Start menu shortcut " + Utf8(shortcut));
    const RegValue run = ReadValue(kRunKey, L"Kronvik");
    Check(run.text == (allUsers ? L"planted" : L"\"" + dir + L"\\kronvik.exe\""), "Run value " + Describe(run));
    Check(Exists(s.task) == allUsers, "logon task " + Utf8(s.task) + (allUsers ? " missing" : " registered"));
    Check(Apps(root, L"DisplayName") == L"Kronvik" && Apps(root, L"DisplayVersion") == s.version &&
              Apps(root, L"InstallLocation") == dir && !Apps(root, L"InstallDate").empty(),
          "Apps entry: " + Utf8(Apps(root, L"DisplayName")) + " " + Utf8(Apps(root, L"DisplayVersion")) + " in " +
              Utf8(Apps(root, L"InstallLocation")));
    Check(Apps(root, L"Publisher") == CompanyName(dir + L"\\kronvik.exe") && !Apps(root, L"Publisher").empty(),
          "publisher " + Utf8(Apps(root, L"Publisher")) + ", the exe's company " + Utf8(CompanyName(dir + L"\\kronvik.exe")));
    const std::wstring quiet = Apps(root, L"QuietUninstallString");
    Check(Apps(root, L"DisplayIcon").find(dir + L"\\kronvik.exe") == 1 && !Apps(root, L"UninstallString").empty() &&
              Contains(quiet, L"/S"), "DisplayIcon or QuietUninstallString: " + Utf8(quiet));

    // Started from the installed exe, Kronvik shows the clock. Its caption
    // display is then switched off in the registry: a Kronvik the upgrade
    // starts reads it and leaves the caption as the old one gave it back.
    g_kronvikExe = dir + L"\\kronvik.exe";
    Kronvik old = Kronvik::StartResident();
    Probe probe(L"install probe");
    ShowClockIn(probe, L"install probe", "installed Kronvik");
    WriteDword(kFlagKey, L"DSP_FLAG", 2);

    // The per-user upgrade also turns logon start off; the next keeps that.
    Require(Run(install + (allUsers ? L"" : L" /NOLOGON")) == 0, "the upgrade failed");
    ExpectExitZero(old, 1000, "the upgrade");
    Check(probe.Caption() == L"install probe", "caption after the upgrade: " + Quote(probe.Caption()));
    if (allUsers) {
        SleepMs(1500);
        Check(!InstanceMutexExists(), "the elevated upgrade started Kronvik");
    } else {
        Check(WaitFor(InstanceMutexExists, 5000), "the upgrade did not start Kronvik again");
        Check(Run(install) == 0 && !ReadValue(kRunKey, L"Kronvik").present, "an upgrade forgot /NOLOGON");
        Check(Run(install + L" /LOGON") == 0 && ReadValue(kRunKey, L"Kronvik").present, "/LOGON left no Run value");
    }
    Check(ReadValue(kFlagKey, L"DSP_FLAG").dword == 2 && AppointmentPresent(), "settings or schedule lost in the upgrade");

    // The quiet uninstall as Apps runs it, asked to delete the settings too.
    std::wstring uninstall = quiet;
    uninstall.insert(uninstall.find(L"/S") + 2, L" /DELSETTINGS");
    Run(uninstall);
    Check(WaitFor([&] { return Apps(root, L"DisplayName").empty() && (allUsers || !Exists(dir)); }, 20000),
          "the uninstall left the Apps entry or " + Utf8(dir));
    Restart();
    Check(!Exists(dir), "after the uninstall (and a restart) " + Utf8(dir) + " is still there");
    Check(!InstanceMutexExists(), "Kronvik still runs after the uninstall");
    Check(!Exists(shortcut) && !Exists(s.task), "the shortcut or the task is left");
    // Started elevated, the all-users uninstaller cannot tell whose settings to delete.
    Check(KeyExists(kVelkKey) == allUsers, allUsers ? "the elevated uninstall deleted this account's settings"
                                                     : "the uninstall left the settings it was asked to delete");
    Check(ReadValue(kRunKey, L"Kronvik").present == allUsers, "the Run value after the uninstall");
    DeleteValue(kRunKey, L"Kronvik");
}

}  // namespace

E2E_CASE(install_per_user, kOnDemandBatch) { InstallUpgradeUninstall(false); }
E2E_CASE(install_all_users, kOnDemandBatch) { InstallUpgradeUninstall(true); }

// A Kronvik that does not end (another session's) never leaves the old exe
// behind a new version in Apps.
E2E_CASE(install_all_users_replaces_files_in_use, kOnDemandBatch) {
    const Setup s = PrepareSetup();
    const std::wstring install = s.Command(L"/S /ALLUSERS /LOG=" + s.log);
    const std::wstring exe = s.allUsersDir + L"\\kronvik.exe";
    Require(Run(install) == 0, "the silent install failed");
    {
        // On another desktop the quit broadcast does not reach Kronvik, as in another session.
        const HDESK desktop = CreateDesktopW(L"KronvikOtherSession", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        const Started other(L"\"" + exe + L"\"", false, 0, L"KronvikOtherSession");
        Require(WaitFor(InstanceMutexExists, 15000), "Kronvik did not start on another desktop");
        Check(Run(install) == 0 && other.Exit(5000) == 0u, "the upgrade did not end Kronvik on another desktop");
        CloseDesktop(desktop);
    }
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    {
        // A stand-in of another size, held by a process that never runs a
        // line, as by a Kronvik that does not end: moved aside, deleted at
        // the restart.
        const DWORD installed = FileSize(exe);
        Require(CopyFileW(self, exe.c_str(), FALSE), "could not plant an exe");
        const Started held(L"\"" + exe + L"\"", false, CREATE_SUSPENDED);
        const DWORD code = Run(install);
        Check(code == kRestartNeeded && Contains(TakeLog(s.log), L"3010"), "the upgrade over a running exe ended with " +
                                                                               std::to_string(code));
        Check(std::ranges::count(PendingDeletions(), exe + L".1.old") && FileSize(exe) == installed, "the running exe was not replaced");
    }
    Restart();
    {
        // Held so that it cannot even be moved: a failure that names the
        // file, and the Apps entry as it was.
        HANDLE file = CreateFileW(exe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kAppsKey.c_str(), L"DisplayVersion", REG_SZ, L"0.1", 8);
        const DWORD code = Run(install);
        CloseHandle(file);
        Check(code == 3 && Contains(TakeLog(s.log), exe), "the upgrade over a locked exe ended with " + std::to_string(code));
        Check(Apps(HKEY_LOCAL_MACHINE, L"DisplayVersion") == L"0.1", "the failed upgrade registered its version");
    }
    {
        const Started held(L"\"" + exe + L"\"", false, CREATE_SUSPENDED);
        const DWORD code = Run(Apps(HKEY_LOCAL_MACHINE, L"QuietUninstallString"));
        Check(code == kRestartNeeded && std::ranges::count(PendingDeletions(), exe), "the uninstall with the exe running ended with " +
                                                                   std::to_string(code));
    }
    Restart();
    Check(!Exists(s.allUsersDir), "after the uninstall and a restart the folder is still there");
}

// All users replaces this user's own installation and is started for the
// user by the unelevated installer; a per-user installation over it is refused.
E2E_CASE(install_modes_do_not_mix, kOnDemandBatch) {
    const Setup s = PrepareSetup();
    Require(Run(s.Command(L"/S"), true) == 0, "the per-user install failed");
    g_kronvikExe = s.userDir + L"\\kronvik.exe";
    Kronvik own = Kronvik::StartResident();
    Check(Run(s.Command(L"/S /ALLUSERS"), true) == 0, "the all-users install from the desktop failed");
    ExpectExitZero(own, 1000, "the all-users install");
    Check(!Exists(s.userDir) && Apps(HKEY_CURRENT_USER, L"DisplayName").empty() &&
              !ReadValue(kRunKey, L"Kronvik").present,
          "the per-user installation, its Apps entry or its Run value is left");
    Check(Apps(HKEY_LOCAL_MACHINE, L"DisplayName") == L"Kronvik" && Exists(s.task), "no all-users installation");
    Check(WaitFor(InstanceMutexExists, 5000), "the installer did not start Kronvik for the user");
    Check(Run(s.Command(L"/S"), true) == 6 && Apps(HKEY_CURRENT_USER, L"DisplayName").empty(),
          "a per-user install over the all-users one was not refused");
    // The elevated part's exit code is the installer's.
    Check(Run(s.Command(L"/S /ALLUSERS /D=C:\\Kronvik"), true) == 2, "a refused folder did not give exit code 2");
    // The uninstall ends the Kronvik the installer started.
    Check(Run(Apps(HKEY_LOCAL_MACHINE, L"QuietUninstallString")) == 0 && !InstanceMutexExists(), "the uninstall failed");
    Restart();
}

}  // namespace e2e
