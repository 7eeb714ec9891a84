// The installer of make dist: both modes' install, upgrade while Kronvik runs
// and uninstall; files still in use; the all-users folder's rules; modes that
// do not mix. Run only when named, with the installer's Linux path in
// KV_E2E_SETUP (ctest sets it). Wine starts every process elevated; an
// administrator's start from the desktop is the token's unelevated half.
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

// What a start from an administrator's desktop runs with: the unelevated half.
HANDLE UnelevatedToken() {
    HANDLE own = nullptr, token = nullptr;
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own);
    Require(GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size) &&
                DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary,
                                 &token),
            "no unelevated token");
    CloseHandle(linked.LinkedToken);
    CloseHandle(own);
    return token;
}

// A process the case starts; ended, if still running, when it goes.
class Started {
public:
    explicit Started(std::wstring command, bool unelevated = false, DWORD flags = 0, const wchar_t* desktop = nullptr) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.lpDesktop = const_cast<wchar_t*>(desktop);
        const HANDLE token = unelevated ? UnelevatedToken() : nullptr;
        const BOOL ok = token ? CreateProcessAsUserW(token, nullptr, command.data(), nullptr, nullptr, FALSE, flags,
                                                     nullptr, nullptr, &si, &pi_)
                              : CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr,
                                               nullptr, &si, &pi_);
        if (token) CloseHandle(token);
        Require(ok, "could not start " + Utf8(command));
    }
    ~Started() {
        // A Unix program's handle never signals: it is not waited for long.
        TerminateProcess(pi_.hProcess, 1);
        WaitForSingleObject(pi_.hProcess, 1000);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
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

// A log: UTF-16 after its byte order mark.
std::wstring ReadText(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return L"";
    std::wstring text(GetFileSize(file, nullptr) / sizeof(wchar_t), L'\0');
    DWORD got = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &got, nullptr);
    CloseHandle(file);
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

bool QueuedForRestart(const std::wstring& path) {
    const auto paths = PendingDeletions();
    return std::find(paths.begin(), paths.end(), path) != paths.end();
}

// What a restart does with them: a Wine prefix under test never restarts.
void Restart() {
    for (const std::wstring& path : PendingDeletions())
        if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations");
}

std::wstring Today() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t text[16];
    swprintf(text, 16, L"%04u%02u%02u", t.wYear, t.wMonth, t.wDay);
    return text;
}

// The company that an exe's version information names.
std::wstring CompanyName(const std::wstring& exe) {
    std::vector<BYTE> info(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
    WORD* language = nullptr;
    wchar_t* text = nullptr;
    UINT length = 0;
    if (info.empty() || !GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()) ||
        !VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&language), &length))
        return L"";
    wchar_t path[64];
    swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\CompanyName", language[0], language[1]);
    return VerQueryValueW(info.data(), path, reinterpret_cast<void**>(&text), &length) ? text : L"";
}

struct Setup {
    std::wstring exe;
    std::wstring version;
    std::wstring allUsersDir = Env(L"ProgramFiles") + L"\\Kronvik";
    std::wstring userDir = Env(L"LOCALAPPDATA") + L"\\Programs\\Kronvik";
    std::wstring task = Env(L"windir") + L"\\system32\\tasks\\Kronvik";
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
    Require(!Exists(s.allUsersDir) && !Exists(s.userDir), "an earlier run left an installation");
    Kronvik::StartResident();
    KillStarted();
    WriteString(kFlagKey, L"SNTP", L"127.0.0.1");
    WriteString(kFlagKey, L"PROXYADR", L"127.0.0.1");
    WriteString(kFlagKey, L"PROXYPORT", L"9");
    return s;
}

void Uninstall(HKEY root) {
    const DWORD code = Run(Apps(root, L"QuietUninstallString"));
    Check(code == 0, "the uninstall ended with " + std::to_string(code));
    Restart();
}

// The usage, shown, and nothing installed.
void ShowsUsage(const Setup& s) {
    const Started setup(s.Command(L"/?"));
    const HWND box = WaitVisibleWindow(setup.pid(), L"#32770", nullptr, 10000);
    Check(box && Contains(MessageBoxText(box), L"/LOG="), "no usage for /?");
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
    Check(setup.Exit(10000) == 0u && !Exists(s.userDir), "the installer went on after /?");
}

void InstallUpgradeUninstall(bool allUsers) {
    const Setup s = PrepareSetup();
    if (!allUsers) ShowsUsage(s);
    PlantAppointment();
    // Started elevated, the all-users installer leaves this account's Run value alone.
    WriteString(kRunKey, L"Kronvik", L"planted");
    const std::wstring install = s.Command(allUsers ? L"/S /ALLUSERS" : L"/S");
    const std::wstring dir = allUsers ? s.allUsersDir : s.userDir;
    const std::wstring shortcut = (allUsers ? Env(L"ProgramData") : Env(L"APPDATA")) +
                                  L"\\Microsoft\\Windows\\Start Menu\\Programs\\Kronvik.lnk";
    const HKEY root = allUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const std::wstring log = Env(L"TEMP") + L"\\kronvik-setup.log";
    DeleteFileW(log.c_str());

    Require(Run(install + L" /LOG=" + log) == 0, "the silent install failed");
    for (const wchar_t* file : {L"uninstall.exe", L"kronvik.exe", L"README.txt", L"LICENSE", L"THIRD-PARTY-NOTICES.txt"})
        Check(Exists(dir + L"\\" + file), "not installed: " + Utf8(dir + L"\\" + file));
    Check(Exists(shortcut), "no Start menu shortcut " + Utf8(shortcut));
    const RegValue run = ReadValue(kRunKey, L"Kronvik");
    Check(run.text == (allUsers ? L"planted" : L"\"" + dir + L"\\kronvik.exe\""), "Run value " + Describe(run));
    Check(Exists(s.task) == allUsers, "logon task " + Utf8(s.task) + (allUsers ? " missing" : " registered"));
    Check(Apps(root, L"DisplayName") == L"Kronvik" && Apps(root, L"DisplayVersion") == s.version &&
              Apps(root, L"InstallDate") == Today(),
          "Apps entry: " + Utf8(Apps(root, L"DisplayName")) + " " + Utf8(Apps(root, L"DisplayVersion")) +
              " of " + Utf8(Apps(root, L"InstallDate")));
    Check(!Apps(root, L"Publisher").empty() && Apps(root, L"Publisher") == CompanyName(dir + L"\\kronvik.exe"),
          "publisher " + Utf8(Apps(root, L"Publisher")) + ", the exe's company " +
              Utf8(CompanyName(dir + L"\\kronvik.exe")));
    const std::wstring quiet = Apps(root, L"QuietUninstallString");
    Check(Apps(root, L"DisplayIcon").find(dir + L"\\kronvik.exe") == 1 && !Apps(root, L"UninstallString").empty() &&
              Contains(quiet, L"/S"), "DisplayIcon or QuietUninstallString: " + Utf8(quiet));
    Check(Contains(ReadText(log), dir), "the log does not name the folder: " + Utf8(ReadText(log)));

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
    const std::wstring install = s.Command(L"/S /ALLUSERS");
    const std::wstring exe = s.allUsersDir + L"\\kronvik.exe";
    Require(Run(install) == 0, "the silent install failed");

    // On another desktop the quit broadcast does not reach Kronvik, as in another session.
    {
        const HDESK desktop = CreateDesktopW(L"KronvikOtherSession", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        const Started other(L"\"" + exe + L"\"", false, 0, L"KronvikOtherSession");
        Require(WaitFor(InstanceMutexExists, 15000), "Kronvik did not start on another desktop");
        Check(Run(install) == 0, "the upgrade with Kronvik on another desktop failed");
        Check(other.Exit(5000) == 0u, "the Kronvik on another desktop did not end");
        CloseDesktop(desktop);
    }

    const std::wstring log = Env(L"TEMP") + L"\\kronvik-setup.log";
    const DWORD size = FileSize(exe);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    {
        // A stand-in of another size, held by a process that never runs a line,
        // as by a Kronvik in another session that does not end: moved aside,
        // deleted at the restart.
        Require(CopyFileW(self, exe.c_str(), FALSE), "could not plant an exe");
        const Started held(L"\"" + exe + L"\"", false, CREATE_SUSPENDED);
        DeleteFileW(log.c_str());
        const DWORD code = Run(install + L" /LOG=" + log);
        Check(code == kRestartNeeded, "the upgrade over a running exe ended with " + std::to_string(code));
        Check(FileSize(exe) == size, "the running exe was not replaced");
        Check(QueuedForRestart(exe + L".1.old"), "the old exe is not deleted at the restart");
        Check(Contains(ReadText(log), L"3010"), "the log lacks the exit code: " + Utf8(ReadText(log)));
    }
    Restart();
    {
        // Held so that it cannot even be moved: a failure that names the
        // file, and the Apps entry as it was.
        HANDLE file = CreateFileW(exe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kAppsKey.c_str(), L"DisplayVersion", REG_SZ, L"0.1", 8);
        DeleteFileW(log.c_str());
        const DWORD code = Run(install + L" /LOG=" + log);
        CloseHandle(file);
        Check(code == 3, "the upgrade over a locked exe ended with " + std::to_string(code));
        Check(Apps(HKEY_LOCAL_MACHINE, L"DisplayVersion") == L"0.1", "the failed upgrade registered its version");
        Check(Contains(ReadText(log), exe), "the log does not name the locked file: " + Utf8(ReadText(log)));
    }
    {
        const Started held(L"\"" + exe + L"\"", false, CREATE_SUSPENDED);
        const DWORD code = Run(Apps(HKEY_LOCAL_MACHINE, L"QuietUninstallString"));
        Check(code == kRestartNeeded, "the uninstall with the exe running ended with " + std::to_string(code));
        Check(QueuedForRestart(exe), "the running exe is not deleted at the restart");
    }
    Restart();
    Check(!Exists(s.allUsersDir), "after the uninstall and a restart the folder is still there");
}

// Short names are resolved, and & is written into the task as XML wants it;
// a link in the folder's place is refused.
E2E_CASE(install_all_users_folder_rules, kOnDemandBatch) {
    const Setup s = PrepareSetup();
    wchar_t shortName[MAX_PATH];
    Require(GetShortPathNameW(Env(L"ProgramFiles").c_str(), shortName, MAX_PATH) > 0, "no short name");
    const std::wstring named = Env(L"ProgramFiles") + L"\\Kronvik & Co";
    const DWORD code = Run(s.Command(L"/S /ALLUSERS /D=") + shortName + L"\\Kronvik & Co");
    // Exit code 4 would mean that the task was refused.
    Check(code == 0 && Apps(HKEY_LOCAL_MACHINE, L"InstallLocation") == named && Exists(s.task),
          "install into a short name with & ended with " + std::to_string(code) + " in " +
              Utf8(Apps(HKEY_LOCAL_MACHINE, L"InstallLocation")));
    if (!Apps(HKEY_LOCAL_MACHINE, L"QuietUninstallString").empty()) Uninstall(HKEY_LOCAL_MACHINE);

    // A symbolic link made on the Unix side is a reparse point to Windows.
    const std::wstring target = Env(L"TEMP") + L"\\kronvik-link-target";
    const std::wstring link = Env(L"ProgramFiles") + L"\\KronvikLink";
    CreateDirectoryW(target.c_str(), nullptr);
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    Require(unixName != nullptr, "not under Wine");
    auto unixPath = [&](const std::wstring& path) {
        const char* name = unixName(path.c_str());
        return std::wstring(name, name + strlen(name));
    };
    // Wine never signals the end of a Unix program: the link itself is waited for.
    { const Started ln(L"Z:\\bin\\ln -s \"" + unixPath(target) + L"\" \"" + unixPath(link) + L"\""); }
    Require(WaitFor([&] { return Exists(link); }, 5000), "no link made");
    Check(Run(s.Command(L"/S /ALLUSERS /D=") + link) == 2, "a link was not refused");
    Check(!Exists(target + L"\\kronvik.exe"), "the installer wrote through the link");
    { const Started rm(L"Z:\\bin\\rm \"" + unixPath(link) + L"\""); }
    WaitFor([&] { return !Exists(link); }, 5000);
    RemoveDirectoryW(target.c_str());
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
    // Posted until it ends: a Kronvik still starting has no window to hear it.
    Check(WaitFor(
              [] {
                  PostMessageW(HWND_BROADCAST, QuitRequestMessage(), 0, 0);
                  return !InstanceMutexExists();
              },
              5000),
          "the all-users Kronvik did not end");

    Check(Run(s.Command(L"/S"), true) == 6 && Apps(HKEY_CURRENT_USER, L"DisplayName").empty(),
          "a per-user install over the all-users one was not refused");
    // The elevated part's exit code is the installer's.
    Check(Run(s.Command(L"/S /ALLUSERS /D=C:\\Kronvik"), true) == 2, "a refused folder did not give exit code 2");
    Uninstall(HKEY_LOCAL_MACHINE);
}

}  // namespace e2e
