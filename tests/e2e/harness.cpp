#include "harness.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace e2e {

// Set by the runner from the command line.
std::wstring g_kronvikExe;

namespace {

constexpr wchar_t kProbeClass[] = L"KronvikE2EProbe";
constexpr wchar_t kDocumentClass[] = L"KronvikE2EDocument";
constexpr UINT kMsgForeground = WM_APP + 1;
constexpr UINT kMsgHang = WM_APP + 2;
constexpr DWORD kKilledExitCode = 0xDEAD;

std::mutex g_processesLock;
std::vector<HANDLE> g_processes;

}  // namespace

// ---- text -------------------------------------------------------------------

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::string Quote(const std::wstring& text) {
    // Control characters are spelt out so that a caption stays on one line.
    std::wstring shown;
    for (wchar_t c : text) {
        if (c == L'\n') {
            shown += L"\\n";
        } else if (c < 0x20 || c == 0x7F) {
            wchar_t esc[8];
            swprintf(esc, 8, L"\\x%02X", static_cast<unsigned>(c));
            shown += esc;
        } else {
            shown += c;
        }
    }
    std::string out = "\"";
    out += Utf8(shown);
    out += "\" (" + std::to_string(text.size()) + " UTF-16 units)";
    return out;
}

// ---- time -------------------------------------------------------------------

ULONGLONG NowMs() { return GetTickCount64(); }

void SleepMs(DWORD ms) { Sleep(ms); }

bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs) {
    const ULONGLONG end = NowMs() + timeoutMs;
    for (;;) {
        if (cond()) return true;
        if (NowMs() >= end) return false;
        Sleep(25);
    }
}

namespace {

std::wstring Pad(int value, int width) {
    std::wstring digits = std::to_wstring(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<size_t>(width) - digits.size(), L'0');
    return digits;
}

const wchar_t* const kEnglishDays[7] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};

}  // namespace

std::wstring DefaultClockText(const SYSTEMTIME& t) {
    return Pad(t.wYear, 4) + L"年" + Pad(t.wMonth, 2) + L"月" + Pad(t.wDay, 2) + L"日 [ " +
           kEnglishDays[t.wDayOfWeek % 7] + L" ]  " + Pad(t.wHour, 2) + L"時" + Pad(t.wMinute, 2) +
           L"分  Tanks! Download";
}

std::wstring TimeOnlyClockText(const SYSTEMTIME& t) {
    return Pad(t.wHour, 2) + L"時" + Pad(t.wMinute, 2) + L"分 [ " + kEnglishDays[t.wDayOfWeek % 7] +
           L" ]  Tanks! Download";
}

std::vector<SYSTEMTIME> RecentLocalTimes() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME ft;
    SystemTimeToFileTime(&now, &ft);
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    u.QuadPart -= 3ULL * 10000000ULL;  // 3 s in 100 ns units
    ft.dwLowDateTime = u.LowPart;
    ft.dwHighDateTime = u.HighPart;
    SYSTEMTIME before;
    FileTimeToSystemTime(&ft, &before);
    std::vector<SYSTEMTIME> times{now};
    if (before.wMinute != now.wMinute || before.wHour != now.wHour || before.wDay != now.wDay)
        times.push_back(before);
    return times;
}

// ---- registry ---------------------------------------------------------------

const wchar_t* const kVelkKey = L"Software\\Velk";
const wchar_t* const kFlagKey = L"Software\\Velk\\FLAG";
const wchar_t* const kInfoKey = L"Software\\Velk\\Information";
const wchar_t* const kInternetSettingsKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

RegValue ReadValue(const std::wstring& key, const std::wstring& name) {
    RegValue v;
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                           &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return v;
    std::vector<BYTE> data(size + 4, 0);
    size = static_cast<DWORD>(data.size());
    rc = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND,
                      &type, data.data(), &size);
    if (rc != ERROR_SUCCESS) return v;
    v.present = true;
    v.type = type;
    if (type == REG_DWORD && size >= 4) {
        v.dword = *reinterpret_cast<const DWORD*>(data.data());
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        const auto* w = reinterpret_cast<const wchar_t*>(data.data());
        size_t n = size / sizeof(wchar_t);
        size_t len = 0;
        while (len < n && w[len] != L'\0') ++len;
        v.text.assign(w, len);
    }
    return v;
}

bool KeyExists(const std::wstring& key) {
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

std::vector<std::wstring> ValueNames(const std::wstring& key) {
    std::vector<std::wstring> names;
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD len = 512;
        if (RegEnumValueW(h, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, len);
    }
    RegCloseKey(h);
    return names;
}

void DeleteValue(const std::wstring& key, const std::wstring& name) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str());
}

namespace {

void SetValue(const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
              DWORD size) {
    HKEY h;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h,
                        nullptr) != ERROR_SUCCESS)
        Abort("cannot create HKCU\\" + Utf8(key));
    LONG rc = RegSetValueExW(h, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS) Abort("cannot write " + Utf8(key + L"\\" + name));
}

}  // namespace

void WriteDword(const std::wstring& key, const std::wstring& name, DWORD value) {
    SetValue(key, name, REG_DWORD, &value, sizeof value);
}

void WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
    SetValue(key, name, REG_SZ, value.c_str(),
             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::string Describe(const RegValue& v) {
    if (!v.present) return "missing";
    switch (v.type) {
    case REG_DWORD: return "REG_DWORD " + std::to_string(static_cast<int32_t>(v.dword));
    case REG_SZ: return "REG_SZ " + Quote(v.text);
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ " + Quote(v.text);
    default: return "registry type " + std::to_string(v.type);
    }
}

const wchar_t* const kPlantedDayKey = L"Software\\Velk\\Information\\2099 12 31";
const wchar_t* const kPlantedTime = L"23 58";
const wchar_t* const kPlantedText = L"e2e 予定";

void PlantAppointment() { WriteString(kPlantedDayKey, kPlantedTime, kPlantedText); }

std::wstring DateKey(const SYSTEMTIME& t) {
    wchar_t text[64];
    swprintf(text, 64, L"%ls\\%04u %02u %02u", kInfoKey, t.wYear, t.wMonth, t.wDay);
    return text;
}

SYSTEMTIME DaysFromToday(int days) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    FILETIME f;
    SystemTimeToFileTime(&t, &f);
    ULARGE_INTEGER n{{f.dwLowDateTime, f.dwHighDateTime}};
    n.QuadPart += static_cast<ULONGLONG>(days) * 864000000000ULL;
    f = {n.LowPart, n.HighPart};
    FileTimeToSystemTime(&f, &t);
    return t;
}

bool AppointmentPresent() {
    RegValue v = ReadValue(kPlantedDayKey, kPlantedTime);
    return v.present && v.type == REG_SZ && v.text == kPlantedText;
}

ValueRestorer::ValueRestorer(std::wstring key, std::wstring name)
    : key_(std::move(key)), name_(std::move(name)), saved_(ReadValue(key_, name_)) {}

ValueRestorer::~ValueRestorer() {
    try {
        if (!saved_.present) {
            DeleteValue(key_, name_);
        } else if (saved_.type == REG_DWORD) {
            WriteDword(key_, name_, saved_.dword);
        } else {
            WriteString(key_, name_, saved_.text);
        }
    } catch (...) {
        // A failed restore is reported by the next case that depends on it.
    }
}

// ---- windows ----------------------------------------------------------------

std::wstring ClassOf(HWND hwnd) {
    wchar_t buf[256];
    int n = GetClassNameW(hwnd, buf, 256);
    return n > 0 ? std::wstring(buf, static_cast<size_t>(n)) : std::wstring();
}

std::vector<HWND> FindTopWindows(DWORD pid, const wchar_t* cls) {
    struct Query {
        DWORD pid;
        const wchar_t* cls;
        std::vector<HWND> found;
    } query{pid, cls, {}};
    EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* q = reinterpret_cast<Query*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(h, &owner);
            if (owner == q->pid && ClassOf(h) == q->cls) q->found.push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::wstring WindowCaption(HWND hwnd) {
    wchar_t buf[2048];
    int n = InternalGetWindowText(hwnd, buf, 2048);
    return n > 0 ? std::wstring(buf, static_cast<size_t>(n)) : std::wstring();
}

std::wstring ControlText(HWND hwnd) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) return {};
    std::vector<wchar_t> buf(len + 2, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_ABORTIFHUNG, 2000, &got))
        return {};
    return std::wstring(buf.data(), std::min<size_t>(got, len));
}

std::wstring MessageBoxText(HWND box) {
    std::vector<HWND> statics;
    EnumChildWindows(
        box,
        [](HWND h, LPARAM lp) -> BOOL {
            if (_wcsicmp(ClassOf(h).c_str(), L"Static") == 0)
                reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&statics));
    std::wstring text;
    for (HWND s : statics) {
        std::wstring t = ControlText(s);
        if (t.empty()) continue;
        if (!text.empty()) text += L"\n";
        text += t;
    }
    return text;
}

HWND FindControl(HWND root, int id) {
    struct Query {
        int id;
        HWND found;
    } query{id, nullptr};
    EnumChildWindows(
        root,
        [](HWND h, LPARAM lp) -> BOOL {
            auto* q = reinterpret_cast<Query*>(lp);
            if (GetDlgCtrlID(h) != q->id) return TRUE;
            q->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&query));
    return query.found;
}

namespace {

// A window of the program in front carries the clock after its own caption.
bool IsOwnCaption(const std::wstring& shown, const std::wstring& own) {
    return shown == own || shown.rfind(own + L"   ", 0) == 0;
}

}  // namespace

HWND WaitVisibleWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND h : FindTopWindows(pid, cls))
                if (IsWindowVisible(h) && (!caption || IsOwnCaption(WindowCaption(h), caption))) found = h;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

bool AnyVisibleWindow(DWORD pid, const wchar_t* cls) {
    for (HWND h : FindTopWindows(pid, cls))
        if (IsWindowVisible(h)) return true;
    return false;
}

void ClickAt(POINT screen) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    auto input = [&](DWORD flags) {
        INPUT i{};
        i.type = INPUT_MOUSE;
        i.mi.dx = MulDiv(screen.x, 65535, w - 1);
        i.mi.dy = MulDiv(screen.y, 65535, h - 1);
        i.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &i, sizeof i);
    };
    // Under X the pointer may report its old place for a while after a move;
    // pressing before it settled would click wherever it was.
    auto there = [&] {
        POINT p;
        return GetCursorPos(&p) && p.x == screen.x && p.y == screen.y;
    };
    auto settled = [&] {
        const ULONGLONG since = NowMs();
        while (NowMs() - since < 300) {
            if (!there()) return false;
            Sleep(25);
        }
        return true;
    };
    bool placed = false;
    for (int attempt = 0; attempt < 5 && !placed; ++attempt) {
        input(MOUSEEVENTF_MOVE);
        SetCursorPos(screen.x, screen.y);
        placed = WaitFor(there, 1000) && settled();
    }
    const std::string where = std::to_string(screen.x) + "," + std::to_string(screen.y);
    if (!placed) Abort("the mouse pointer did not stay at " + where);
    input(MOUSEEVENTF_LEFTDOWN);
    input(MOUSEEVENTF_LEFTUP);
    Sleep(100);
    if (!there()) Abort("the mouse pointer left " + where + " during the click");
}

HWND RequireControl(HWND form, int id) {
    HWND control = FindControl(form, id);
    Require(control != nullptr, Utf8(ClassOf(form)) + " has no control " + std::to_string(id));
    return control;
}

void PressButton(HWND form, int id) { PostMessageW(RequireControl(form, id), BM_CLICK, 0, 0); }

void Keys(std::initializer_list<std::pair<WORD, bool>> strokes) {
    for (const auto& [key, down] : strokes) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        SendInput(1, &input, sizeof input);
        SleepMs(50);
    }
}

void ClickSpin(HWND form, int id, bool up) {
    RECT r;
    GetWindowRect(RequireControl(form, id), &r);
    const int h = r.bottom - r.top;
    ClickAt(POINT{(r.left + r.right) / 2, up ? r.top + h / 4 : r.bottom - h / 4});
}

void SetControlText(HWND form, int id, const std::wstring& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(RequireControl(form, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 2000, &result);
}

void PrepareSettings() {
    Kronvik::StartResident();
    KillStarted();
    WriteString(kFlagKey, L"SNTP", L"127.0.0.1");
    WriteDword(kFlagKey, L"SNTPanswer", 2);
    WriteString(kFlagKey, L"PROXYADR", L"127.0.0.1");
    WriteString(kFlagKey, L"PROXYPORT", L"9");
}

void PostCommand(const Kronvik& k, WPARAM id) {
    Require(PostMessageW(k.MainWindow(), WM_COMMAND, id, 0) != 0, "PostMessage failed");
}

// ---- the program under test -------------------------------------------------

bool InstanceMutexExists() {
    HANDLE m = OpenMutexW(SYNCHRONIZE, FALSE, L"Kronvik-Velk");
    if (!m) return false;
    CloseHandle(m);
    return true;
}

Kronvik Kronvik::Start(const std::wstring& args) {
    std::wstring cmd = L"\"" + g_kronvikExe + L"\"";
    if (!args.empty()) cmd += L" " + args;
    for (int attempt = 0;; ++attempt) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::vector<wchar_t> line(cmd.begin(), cmd.end());
        line.push_back(L'\0');
        if (CreateProcessW(g_kronvikExe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            {
                std::lock_guard<std::mutex> lock(g_processesLock);
                g_processes.push_back(pi.hProcess);
            }
            Kronvik k;
            k.pid_ = pi.dwProcessId;
            k.process_ = pi.hProcess;
            return k;
        }
        DWORD err = GetLastError();
        if (err != ERROR_INTERNAL_ERROR || attempt >= 8)
            Abort("CreateProcess(" + Utf8(cmd) + ") failed with error " + std::to_string(err));
        Sleep(250);
    }
}

Kronvik Kronvik::StartResident(const std::wstring& args) {
    Kronvik k = Start(args);
    k.WaitReady();
    return k;
}

bool Kronvik::Running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Kronvik::WaitExit(DWORD timeoutMs) const {
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

HWND Kronvik::MainWindow() const {
    auto all = FindTopWindows(pid_, L"TForm1");
    return all.empty() ? nullptr : all.front();
}

HWND Kronvik::WaitReady(DWORD timeoutMs) {
    const ULONGLONG start = NowMs();
    HWND main = nullptr;
    WaitFor(
        [&] {
            main = MainWindow();
            return main != nullptr || !Running();
        },
        timeoutMs);
    if (!main) {
        if (auto code = WaitExit(0))
            Abort("kronvik.exe ended during start-up with exit code " + std::to_string(*code) +
                  " before its TForm1 window appeared");
        Abort("no TForm1 window within " + std::to_string(timeoutMs) + " ms");
    }
    const ULONGLONG used = NowMs() - start;
    DWORD rest = used < timeoutMs ? static_cast<DWORD>(timeoutMs - used) : 1;
    WaitForInputIdle(process_, rest);
    if (!Running()) {
        auto code = WaitExit(0);
        Abort("kronvik.exe ended right after start-up, exit code " + std::to_string(code.value_or(0)));
    }
    return main;
}

void KillStarted() {
    std::vector<HANDLE> list;
    {
        std::lock_guard<std::mutex> lock(g_processesLock);
        list.swap(g_processes);
    }
    for (HANDLE h : list) {
        if (WaitForSingleObject(h, 0) == WAIT_TIMEOUT) {
            TerminateProcess(h, kKilledExitCode);
            WaitForSingleObject(h, 5000);
        }
        CloseHandle(h);
    }
}

bool TrayIconExists(HWND owner, UINT id) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = owner;
    data.uID = id;
    data.uFlags = 0;
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

int TaskbarButtons() {
    int count = 0;
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    for (HWND child = taskbar ? GetWindow(taskbar, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && ClassOf(child) == L"Button") ++count;
    }
    return count;
}

UINT QuitRequestMessage() {
    static const UINT msg = RegisterWindowMessageW(L"Kronvik");
    return msg;
}

// ---- probe windows ----------------------------------------------------------

namespace {

void RegisterProbeClass(WNDPROC proc) {
    static std::once_flag once;
    std::call_once(once, [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kProbeClass;
        RegisterClassExW(&wc);
        wc.lpfnWndProc = DefMDIChildProcW;
        wc.lpszClassName = kDocumentClass;
        RegisterClassExW(&wc);
    });
}

std::atomic<int> g_probeCount{0};

}  // namespace

LRESULT CALLBACK Probe::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<Probe*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
    case kMsgForeground:
        SetForegroundWindow(hwnd);
        SetActiveWindow(hwnd);
        return 0;
    case kMsgHang:
        // Blocks this window's thread like a program stuck in a long operation.
        WaitForSingleObject(reinterpret_cast<HANDLE>(wp), static_cast<DWORD>(lp));
        return 0;
    case WM_SETTEXT:
        if (self && self->kind_ == Kind::RefusesCaption) {
            InterlockedIncrement(&self->setTextCount_);
            return TRUE;
        }
        if (self && self->kind_ == Kind::StoresAnswersNo) {
            DefWindowProcW(hwnd, msg, wp, lp);
            return FALSE;
        }
        break;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    if (self && self->client_) return DefFrameProcW(hwnd, self->client_, msg, wp, lp);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// The frame shows "<its title> - [doc]" from here on: DefFrameProc puts the
// maximised document after any text the frame is given.
void Probe::CreateDocument(HWND frame) {
    CLIENTCREATESTRUCT client{nullptr, 1};
    RECT area{};
    GetClientRect(frame, &area);
    client_ = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, area.right,
                              area.bottom, frame, nullptr, GetModuleHandleW(nullptr), &client);
    MDICREATESTRUCTW doc{kDocumentClass, L"doc", GetModuleHandleW(nullptr), 0, 0, 200, 100, WS_MAXIMIZE, 0};
    const auto child = client_ ? SendMessageW(client_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&doc)) : 0;
    if (child) SendMessageW(client_, WM_MDIMAXIMIZE, static_cast<WPARAM>(child), 0);
    // Named again, as a program names its frame once a document is open.
    SetWindowTextW(frame, initial_.c_str());
}

Probe::Probe(const std::wstring& caption, Kind kind) : initial_(caption), kind_(kind) {
    RegisterProbeClass(Proc);
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
    if (!thread_ || WaitForSingleObject(ready_, 5000) != WAIT_OBJECT_0 || !hwnd_)
        Abort("could not create a probe window");
}

DWORD WINAPI Probe::ThreadMain(void* p) {
    auto* self = static_cast<Probe*>(p);
    int n = g_probeCount++ % 6;
    self->hwnd_ = CreateWindowExW(0, kProbeClass, self->initial_.c_str(),
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40 + 60 * n, 40 + 50 * n, 520,
                                  180, nullptr, nullptr, GetModuleHandleW(nullptr), self);
    if (self->hwnd_ && self->kind_ == Kind::MdiFrame) self->CreateDocument(self->hwnd_);
    SetEvent(self->ready_);
    if (!self->hwnd_) return 1;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}

Probe::~Probe() {
    SetEvent(release_);
    if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    if (thread_) {
        if (WaitForSingleObject(thread_, 5000) != WAIT_OBJECT_0) TerminateThread(thread_, 1);
        CloseHandle(thread_);
    }
    CloseHandle(ready_);
    CloseHandle(release_);
}

bool Probe::Foreground(DWORD timeoutMs) {
    PostMessageW(hwnd_, kMsgForeground, 0, 0);
    if (WaitFor([&] { return GetForegroundWindow() == hwnd_; }, timeoutMs / 2)) return true;
    SetForegroundWindow(hwnd_);
    return WaitFor([&] { return GetForegroundWindow() == hwnd_; }, timeoutMs / 2);
}

void Probe::Hang(DWORD maxMs) {
    ResetEvent(release_);
    PostMessageW(hwnd_, kMsgHang, reinterpret_cast<WPARAM>(release_), static_cast<LPARAM>(maxMs));
}

void Probe::Release() { SetEvent(release_); }

// ---- caption expectations ---------------------------------------------------

std::vector<std::wstring> WithClock(const std::wstring& own) {
    std::vector<std::wstring> out;
    for (const SYSTEMTIME& t : RecentLocalTimes()) out.push_back(own + L"   " + DefaultClockText(t));
    return out;
}

std::vector<std::wstring> WithTimeOnlyClock(const std::wstring& own) {
    std::vector<std::wstring> out;
    for (const SYSTEMTIME& t : RecentLocalTimes()) out.push_back(own + L"   " + TimeOnlyClockText(t));
    return out;
}

bool ExpectCaption(HWND hwnd, const std::function<std::vector<std::wstring>()>& expected,
                   DWORD timeoutMs, const std::string& what, DWORD* latencyMs) {
    const ULONGLONG start = NowMs();
    std::wstring last;
    std::vector<std::wstring> want;
    bool ok = WaitFor(
        [&] {
            last = WindowCaption(hwnd);
            want = expected();
            return std::find(want.begin(), want.end(), last) != want.end();
        },
        timeoutMs);
    if (latencyMs) *latencyMs = static_cast<DWORD>(NowMs() - start);
    if (!ok) {
        std::string msg = what + ": after " + std::to_string(timeoutMs) + " ms the caption is\n        " +
                          Quote(last) + "\n      expected";
        for (size_t i = 0; i < want.size(); ++i)
            msg += (i ? "\n      or\n        " : "\n        ") + Quote(want[i]);
        Check(false, msg);
    }
    return ok;
}

void ShowClockIn(Probe& probe, const std::wstring& own, const std::string& what) {
    Require(probe.Foreground(), what + ": probe window did not become the foreground window");
    // Kronvik ticks every 500 ms; allow a tick of slack beyond the next one.
    if (!ExpectCaption(probe.hwnd(), [&] { return WithClock(own); }, 1500, what)) Stop();
}

void ExpectOwnCaption(const Probe& probe, const std::wstring& own, DWORD timeoutMs, const std::string& what) {
    ExpectCaption(probe.hwnd(), [&] { return std::vector<std::wstring>{own}; }, timeoutMs, what);
}

void ExpectExitZero(const Kronvik& k, DWORD timeoutMs, const std::string& after) {
    const ULONGLONG start = NowMs();
    auto code = k.WaitExit(timeoutMs);
    Require(code.has_value(), "kronvik.exe still runs " + std::to_string(timeoutMs) + " ms after " + after);
    Check(*code == 0, "exit code " + std::to_string(*code) + " after " + after + ", expected 0");
    Note("ended " + std::to_string(NowMs() - start) + " ms after " + after);
}

}  // namespace e2e
