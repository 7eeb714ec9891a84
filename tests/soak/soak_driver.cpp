// Soak run: kronvik.exe runs for a number of minutes while this driver keeps
// it busy as a day at a desk would, and samples what the program holds.
// Writes, UTF-8, into a results file (the Wine desktop swallows exit codes):
// where each column comes from, one row per sample, the checks, and a last
// line "VERDICT PASS" or "VERDICT FAIL".
//   soak_driver <kronvik.exe> <results file> <minutes>
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "fake_servers.h"
#include "harness.h"

namespace e2e {
namespace {

constexpr WPARAM kCmdSettings = 1, kCmdManualSync = 2, kCmdAbout = 3;
const wchar_t kManualCaption[] = L"日付時刻設定（手動）";
const wchar_t kFailureCaption[] = L"日付時刻設定";
const wchar_t kMidnight[] = L"00 00";
// The hung probe stops pumping for the shorter time on most turns and, on
// every other of its turns, past the system's hung threshold of five seconds.
constexpr DWORD kHangMs = 4000, kLongHangMs = 7000;
const wchar_t kWideCaption[] = L"\U0001F600 한국어 café — soak ①";

struct SoakAbort {};

HANDLE g_out = INVALID_HANDLE_VALUE;
std::mutex g_outLock;
std::vector<std::string> g_failures;

void Log(const std::string& line) {
    std::lock_guard<std::mutex> lock(g_outLock);
    const std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(g_out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    FlushFileBuffers(g_out);
}

std::string Format(const char* format, auto... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string Clock(ULONGLONG ms) { return Format("%3llu:%02llu", ms / 60000, ms / 1000 % 60); }

}  // namespace

void Check(bool ok, const std::string& what) {
    if (ok) return;
    Log("FAILED: " + what);
    std::lock_guard<std::mutex> lock(g_outLock);
    g_failures.push_back(what);
}
void Require(bool ok, const std::string& what) {
    if (!ok) Abort(what);
}
void Abort(const std::string& what) {
    Check(false, what);
    throw SoakAbort{};
}
void Stop() { throw SoakAbort{}; }
void Note(const std::string& what) { Log("note: " + what); }
int RegisterCase(const std::string&, int, CaseFn) { return 0; }

namespace {

// ---- what the program holds ---------------------------------------------------

using Reader = std::optional<long long> (*)(HANDLE process, DWORD pid);

// Every window of the process: top-level (shown or not), message-only, and
// all their descendants. Under Wine a popup menu that is never destroyed
// keeps its "#32768" window, so lost menus show here too.
std::optional<long long> WindowCount(HANDLE, DWORD pid) {
    std::vector<HWND> tops;
    EnumWindows([](HWND h, LPARAM lp) -> BOOL { return reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h), TRUE; },
                reinterpret_cast<LPARAM>(&tops));
    for (HWND h = nullptr; (h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr)) != nullptr;) tops.push_back(h);
    long long n = 0;
    for (HWND top : tops) {
        DWORD owner = 0;
        GetWindowThreadProcessId(top, &owner);
        if (owner != pid) continue;
        ++n;
        EnumChildWindows(top, [](HWND, LPARAM lp) -> BOOL { return ++*reinterpret_cast<long long*>(lp), TRUE; },
                         reinterpret_cast<LPARAM>(&n));
    }
    return n;
}

std::optional<long long> GuiResources(HANDLE process, DWORD flags) {
    const DWORD n = GetGuiResources(process, flags);
    return n ? std::optional<long long>(n) : std::nullopt;
}
std::optional<long long> GuiUser(HANDLE process, DWORD) { return GuiResources(process, GR_USEROBJECTS); }
std::optional<long long> GuiGdi(HANDLE process, DWORD) { return GuiResources(process, GR_GDIOBJECTS); }

// Wine keeps a process's GDI handle table where Windows does, behind
// PEB::GdiSharedHandleTable (offset 0xF8 on x64): 65536 entries of 24 bytes
// whose type (offset 14) is zero while the entry is free.
std::optional<long long> GdiTableCount(HANDLE process, DWORD) {
    constexpr size_t kEntries = 0x10000, kEntrySize = 24, kTypeOffset = 14, kPebTable = 0xF8;
    PROCESS_BASIC_INFORMATION info{};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0)
        return std::nullopt;
    ULONG_PTR table = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const BYTE*>(info.PebBaseAddress) + kPebTable, &table,
                           sizeof table, nullptr) || table == 0)
        return std::nullopt;
    std::vector<BYTE> entries(kEntries * kEntrySize);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(), entries.size(), nullptr))
        return std::nullopt;
    long long used = 0;
    for (size_t i = 0; i < kEntries; ++i) used += entries[i * kEntrySize + kTypeOffset] != 0;
    return used;
}

// The system's handle list (SystemExtendedHandleInformation), counted for
// the process: GetProcessHandleCount gives 0 under Wine 8.
std::optional<long long> HandleCount(HANDLE, DWORD pid) {
    struct Entry {
        void* object;
        ULONG_PTR pid, value;
        ULONG access;
        USHORT trace, type;
        ULONG attributes, reserved;
    };
    // Class 64 is missing from mingw's SYSTEM_INFORMATION_CLASS.
    using Query = NTSTATUS(NTAPI*)(ULONG, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<ULONG_PTR> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR));
        const NTSTATUS status = query(64, buffer.data(), size, &needed);
        if (status == static_cast<NTSTATUS>(0xC0000004L) && needed > size) {  // length mismatch
            buffer.resize(needed / sizeof(ULONG_PTR) * 2);
            continue;
        }
        if (status != 0) return std::nullopt;
        const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + 2);
        long long n = 0;
        for (ULONG_PTR i = 0; i < buffer[0]; ++i) n += entries[i].pid == pid;
        return n;
    }
}

std::optional<long long> ThreadCount(HANDLE, DWORD pid) {
    const HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return std::nullopt;
    THREADENTRY32 t{};
    t.dwSize = sizeof t;
    long long n = 0;
    for (BOOL more = Thread32First(snap, &t); more; more = Thread32Next(snap, &t)) n += t.th32OwnerProcessID == pid;
    CloseHandle(snap);
    return n;
}

std::optional<long long> HandleCountByApi(HANDLE process, DWORD) {
    DWORD n = 0;
    return GetProcessHandleCount(process, &n) ? std::optional<long long>(n) : std::nullopt;
}

std::optional<PROCESS_MEMORY_COUNTERS_EX> Memory(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX m{};
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m)) return std::nullopt;
    return m;
}
std::optional<long long> PrivateKb(HANDLE process, DWORD) {
    const auto m = Memory(process);
    return m ? std::optional<long long>(static_cast<long long>(m->PagefileUsage / 1024)) : std::nullopt;
}
std::optional<long long> PrivateUsageKb(HANDLE process, DWORD) {
    const auto m = Memory(process);
    return m ? std::optional<long long>(static_cast<long long>(m->PrivateUsage / 1024)) : std::nullopt;
}

std::string Cell(const std::optional<long long>& v) { return v ? std::to_string(*v) : "n/a"; }

// A source is used only when it follows what this process does: `make`
// creates objects the source should count `rise` more of (at least `rise`
// when `atLeast`) and returns what frees them again.
template <typename Make>
bool Follows(Reader read, long long rise, bool atLeast, Make make) {
    make()();  // whatever the first use sets up once is not counted
    const auto before = read(GetCurrentProcess(), GetCurrentProcessId());
    auto undo = make();
    const auto during = read(GetCurrentProcess(), GetCurrentProcessId());
    undo();
    const auto after = read(GetCurrentProcess(), GetCurrentProcessId());
    if (!before || !during || !after) return false;
    const long long delta = *during - *before;
    return (atLeast ? delta >= rise : delta == rise) && (atLeast || *after == *before);
}

auto MakeBrushes() {
    std::vector<HBRUSH> b;
    for (int i = 0; i < 16; ++i) b.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    return [b] {
        for (HBRUSH h : b) DeleteObject(h);
    };
}
auto MakeWindows() {
    std::vector<HWND> w;
    for (int i = 0; i < 4; ++i) w.push_back(CreateWindowExW(0, L"Static", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    return [w] {
        for (HWND h : w) DestroyWindow(h);
    };
}

struct Column {
    const char* name;
    long long slack;  // allowed rise of the last sample over the baseline
    Reader read = nullptr;
    std::string source;
};

std::vector<Column> ChooseSources(HANDLE kronvik) {
    // Keeps the thread's IME window, made with its first window, out of the counts.
    const HWND host = CreateWindowExW(0, L"Static", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    std::vector<Column> c{{"user", 2, nullptr, ""}, {"gdi", 12, nullptr, ""}, {"handles", 8, nullptr, ""},
                          {"threads", 1, nullptr, ""}, {"private_kb", 4096, nullptr, ""}};
    SetLastError(0);
    const DWORD guiUser = GetGuiResources(kronvik, GR_USEROBJECTS), guiGdi = GetGuiResources(kronvik, GR_GDIOBJECTS);
    const std::string gui = Format("; GetGuiResources gave USER %lu, GDI %lu (last error %lu) and does not follow "
                                   "objects made here", guiUser, guiGdi, GetLastError());
    if (Follows(GuiUser, 4, false, MakeWindows)) {
        c[0] = {"user", 2, GuiUser, "GetGuiResources(GR_USEROBJECTS)"};
    } else if (Follows(WindowCount, 4, false, MakeWindows)) {
        c[0].read = WindowCount;
        c[0].source = "windows of the process (EnumWindows, EnumChildWindows, message-only windows); menus, icons "
                      "and cursors are not visible from outside" + gui;
    }
    if (Follows(GuiGdi, 16, false, MakeBrushes)) {
        c[1] = {"gdi", 12, GuiGdi, "GetGuiResources(GR_GDIOBJECTS)"};
    } else if (Follows(GdiTableCount, 16, false, MakeBrushes)) {
        c[1].read = GdiTableCount;
        c[1].source = "used entries of the process's GDI handle table (PEB::GdiSharedHandleTable, ReadProcessMemory)" + gui;
    }
    if (Follows(HandleCount, 16, false, [] {
            std::vector<HANDLE> e;
            for (int i = 0; i < 16; ++i) e.push_back(CreateEventW(nullptr, TRUE, FALSE, nullptr));
            return [e] {
                for (HANDLE h : e) CloseHandle(h);
            };
        }))
        c[2] = {"handles", 8, HandleCount,
                "NtQuerySystemInformation(SystemExtendedHandleInformation), entries of the process; " +
                    Format("GetProcessHandleCount gave %s", Cell(HandleCountByApi(kronvik, 0)).c_str())};
    if (Follows(ThreadCount, 1, false, [] {
            const HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            auto t = std::make_shared<std::thread>([go] { WaitForSingleObject(go, INFINITE); });
            return [go, t] {
                SetEvent(go);
                t->join();
                CloseHandle(go);
            };
        }))
        c[3] = {"threads", 1, ThreadCount, "Toolhelp32 thread snapshot"};
    DestroyWindow(host);
    if (Follows(PrivateKb, 24 * 1024, true, [] {
            constexpr size_t size = 32 << 20;
            auto* p = static_cast<volatile char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
            for (size_t i = 0; p && i < size; i += 4096) p[i] = 1;
            return [p] { VirtualFree(const_cast<char*>(p), 0, MEM_RELEASE); };
        }))
        c[4] = {"private_kb", 4096, PrivateKb,
                "GetProcessMemoryInfo PagefileUsage (KB), the private commit on Windows; Wine fills it from RssAnon + "
                "VmSwap of /proc/<pid>/status, resident private memory. " +
                    Format("PrivateUsage gave %s KB", Cell(PrivateUsageKb(kronvik, 0)).c_str())};
    return c;
}

struct Sample {
    ULONGLONG at;
    int steps;
    std::vector<std::optional<long long>> values;
};

// ---- appointments ------------------------------------------------------------

SYSTEMTIME Shifted(SYSTEMTIME t, long long seconds) {
    FILETIME f;
    SystemTimeToFileTime(&t, &f);
    ULARGE_INTEGER n{{f.dwLowDateTime, f.dwHighDateTime}};
    n.QuadPart += static_cast<ULONGLONG>(seconds * 10000000LL);
    f = {n.LowPart, n.HighPart};
    FileTimeToSystemTime(&f, &t);
    return t;
}

std::wstring DayKey(int days) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return DateKey(Shifted(now, days * 86400LL));
}

using Slot = std::pair<std::wstring, std::wstring>;  // date key, "HH MM"
std::map<Slot, std::wstring> g_expected;             // every appointment that must stay
std::vector<Slot> g_storedByDialog;                  // midnight entries, oldest first

struct Due {
    std::wstring text;
    ULONGLONG at;  // when its minute began
    std::atomic<bool> seen{false};
};
std::mutex g_duesLock;
std::vector<std::unique_ptr<Due>> g_dues;
std::atomic<bool> g_watching{true};

// An announcement counts as seen once the window in front shows its text.
void WatchAnnouncements() {
    while (g_watching) {
        const std::wstring caption = WindowCaption(GetForegroundWindow());
        {
            std::lock_guard<std::mutex> lock(g_duesLock);
            for (auto& d : g_dues)
                if (caption.find(L"   " + d->text) != std::wstring::npos) d->seen = true;
        }
        Sleep(100);
    }
}

bool AnyAnnounced() {
    std::lock_guard<std::mutex> lock(g_duesLock);
    return std::any_of(g_dues.begin(), g_dues.end(), [](const auto& d) { return d->seen.load(); });
}

// ---- the program's windows -----------------------------------------------------

struct Stats {
    int menus = 0, about = 0, settings = 0, stored = 0, deleted = 0, turns = 0, clockSeen = 0;
    int syncs[3] = {}, syncSucceeded[3] = {};
} g_stats;

void Answer(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

void ExpectHidden(HWND window, const std::string& what) {
    Check(WaitFor([&] { return !IsWindowVisible(window); }, 3000), what + " stayed open");
}

std::vector<HWND> VisibleWindows(DWORD pid) {
    std::vector<HWND> shown;
    for (const wchar_t* cls : {L"TForm1", L"TForm2", L"TForm3", L"TForm4", L"#32768", L"#32770"})
        for (HWND h : FindTopWindows(pid, cls))
            if (IsWindowVisible(h)) shown.push_back(h);
    return shown;
}

// After a failed step: whatever of the program the driver opened goes away.
void CloseLeftovers(const Kronvik& k) {
    for (HWND h : VisibleWindows(k.pid())) {
        if (ClassOf(h) == L"#32770") {
            Answer(h, IDCANCEL);
            Answer(h, IDOK);
        } else if (ClassOf(h) == L"#32768") {
            PostMessageW(k.MainWindow(), WM_CANCELMODE, 0, 0);
        } else {
            PostMessageW(h, WM_CLOSE, 0, 0);
        }
    }
    WaitFor([&] { return VisibleWindows(k.pid()).empty(); }, 3000);
}

void TrayMenu(const Kronvik& k, int round) {
    PostMessageW(k.MainWindow(), kTrayNotify, 0, WM_RBUTTONDOWN);
    HWND menu = WaitVisibleWindow(k.pid(), L"#32768", nullptr, 3000);
    Require(menu != nullptr, "the tray menu did not open");
    if (round % 2) {
        PostMessageW(k.MainWindow(), WM_CANCELMODE, 0, 0);
    } else {
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    Check(WaitFor([&] { return !AnyVisibleWindow(k.pid(), L"#32768"); }, 3000), "the tray menu stayed open");
    ++g_stats.menus;
}

HWND OpenForm(const Kronvik& k, WPARAM command, const wchar_t* cls) {
    PostCommand(k, command);
    HWND form = WaitVisibleWindow(k.pid(), cls, nullptr, 3000);
    Require(form != nullptr, "command " + std::to_string(command) + " showed no " + Utf8(cls));
    return form;
}

void About(const Kronvik& k, int round) {
    HWND about = OpenForm(k, kCmdAbout, L"TForm2");
    if (round % 2) {
        PostMessageW(about, WM_CLOSE, 0, 0);
    } else {
        // What a click on the picture sends.
        PostMessageW(about, WM_COMMAND, MAKEWPARAM(about_form::kImage1, STN_CLICKED),
                     reinterpret_cast<LPARAM>(FindControl(about, about_form::kImage1)));
    }
    ExpectHidden(about, "the about box");
    ++g_stats.about;
}

void Settings(const Kronvik& k, int round) {
    HWND form = nullptr;
    if (round % 2) {
        form = OpenForm(k, kCmdSettings, L"TForm4");
    } else {
        PostMessageW(k.MainWindow(), kTrayNotify, 0, WM_LBUTTONDBLCLK);
        form = WaitVisibleWindow(k.pid(), L"TForm4", nullptr, 3000);
        Require(form != nullptr, "a double click on the icon showed no settings dialog");
    }
    PostMessageW(form, WM_CLOSE, 0, 0);
    ExpectHidden(form, "the settings dialog");
    ++g_stats.settings;
}

// A new appointment at midnight of the first day ahead that holds none.
void Store(const Kronvik& k, int round) {
    int day = 1;
    while (day <= 12 && g_expected.count({DayKey(day), kMidnight})) ++day;
    if (day > 12) return;
    const Slot slot{DayKey(day), kMidnight};
    TrayMenu(k, round);  // the menu's ids follow its last load
    HWND form = OpenForm(k, static_cast<WPARAM>(day + 1) * 100, L"TForm3");
    const std::wstring text = L"soak 入力 " + std::to_wstring(round);
    SetControlText(form, entry_form::kEdit1, text);
    PressButton(form, entry_form::kButton2);
    ExpectHidden(form, "the entry dialog after Ok");
    const RegValue stored = ReadValue(slot.first, slot.second);
    Require(stored.text == text, "Ok stored " + Describe(stored) + " at " + Utf8(slot.first));
    g_expected[slot] = text;
    g_storedByDialog.push_back(slot);
    ++g_stats.stored;
}

// The oldest midnight entry, opened from the menu and deleted in the dialog.
void Delete(const Kronvik& k, int round) {
    if (g_storedByDialog.empty()) return;
    const Slot slot = g_storedByDialog.front();
    g_storedByDialog.erase(g_storedByDialog.begin());
    int day = 0;
    while (day <= 13 && DayKey(day) != slot.first) ++day;
    if (day > 13) return;  // its day is over
    TrayMenu(k, round);
    // Midnight comes first among the day's appointments.
    HWND form = OpenForm(k, static_cast<WPARAM>(day + 1) * 100 + 1, L"TForm3");
    const std::wstring shown = ControlText(RequireControl(form, entry_form::kEdit1));
    const bool right = shown == g_expected[slot];
    Check(right, "the entry dialog opened on " + Quote(shown) + ", not " + Quote(g_expected[slot]));
    PressButton(form, right ? entry_form::kButton3 : entry_form::kButton1);
    ExpectHidden(form, "the entry dialog after Delete");
    if (!right) return;
    Check(!ReadValue(slot.first, slot.second).present, "Delete left " + Utf8(slot.first) + " " + Utf8(slot.second));
    g_expected.erase(slot);
    ++g_stats.deleted;
}

// An appointment of this minute (when enough of it is left) or the next,
// loaded by opening the menu, so that it is announced during the run.
void PlantDue(const Kronvik& k, int round) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const DWORD wait = now.wSecond <= 40 ? 0 : static_cast<DWORD>((60 - now.wSecond) * 1000 - now.wMilliseconds);
    if (wait) now = Shifted(now, 60);
    wchar_t name[16];
    swprintf(name, 16, L"%02u %02u", now.wHour, now.wMinute);
    const Slot slot{DateKey(now), name};
    if (g_expected.count(slot)) return;
    const std::wstring text = L"soak 予定 " + std::to_wstring(round);
    WriteString(slot.first, slot.second, text);
    g_expected[slot] = text;
    {
        std::lock_guard<std::mutex> lock(g_duesLock);
        g_dues.push_back(std::make_unique<Due>());
        g_dues.back()->text = text;
        g_dues.back()->at = NowMs() + wait;
    }
    TrayMenu(k, round);
}

// A manual setting against a fake that answers aligned, an hour ahead (the
// system refuses it) or not at all.
void Synchronise(const Kronvik& k, FakeSntpServer::Answer answer, int which) {
    FakeSntpServer server(answer);
    const std::wstring before = ReadValue(kFlagKey, L"SET_TIME").text;
    PostCommand(k, kCmdManualSync);
    HWND confirm = WaitVisibleWindow(k.pid(), L"#32770", kManualCaption, 3000);
    Require(confirm != nullptr, "no confirmation box for the manual setting");
    Answer(confirm, IDOK);
    HWND failure = nullptr;
    WaitFor([&] {
        failure = WaitVisibleWindow(k.pid(), L"#32770", kFailureCaption, 0);
        return failure || ReadValue(kFlagKey, L"SET_TIME").text != before;
    }, 8000);
    ++g_stats.syncs[which];
    if (!failure) failure = WaitVisibleWindow(k.pid(), L"#32770", kFailureCaption, 500);
    if (failure) {
        Answer(failure, IDOK);
        ExpectHidden(failure, "the failure box");
    } else {
        g_stats.syncSucceeded[which] += ReadValue(kFlagKey, L"SET_TIME").text != before;
    }
    Check(failure || answer == FakeSntpServer::Answer::Aligned, "no failure box after a failing setting");
}

// ---- the foreground ----------------------------------------------------------

struct Probes {
    std::wstring title = L"Soak doc 0";
    Probe retitling{title};
    Probe frame{L"Soak frame", Probe::Kind::MdiFrame};
    Probe hung{L"Soak hung"};
    Probe empty{L""};
    Probe wide{kWideCaption};
    Probe neutral{L"Soak neutral"};
};

bool Answers(const Probe& probe) {
    return SendMessageTimeoutW(probe.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 200, nullptr) != 0;
}

void Turn(Probes& p, int step) {
    Probe* order[] = {&p.retitling, &p.frame, &p.hung, &p.empty, &p.wide};
    Probe& probe = *order[step % 5];
    // Back in front only once it pumps again, like a user who waits for it.
    if (&probe == &p.hung) WaitFor([&] { return Answers(probe); }, kLongHangMs + 1000);
    if (!probe.Foreground()) return Note("a probe did not come to the front");
    ++g_stats.turns;
    // Kronvik writes "own caption   clock" within two ticks.
    g_stats.clockSeen += WaitFor([&] { return probe.Caption().find(L"   ") != std::wstring::npos; }, 1500);
    if (&probe == &p.retitling) {
        p.title = L"Soak doc " + std::to_wstring(step);
        SetWindowTextW(probe.hwnd(), p.title.c_str());
    } else if (&probe == &p.hung) {
        probe.Hang(step / 5 % 2 != 0 ? kLongHangMs : kHangMs);
    }
}

// Nothing open that nobody asked for, every caption given back, a clean end.
void EndOfRun(const Kronvik& k, Probes& probes) {
    probes.hung.Release();
    Check(WaitFor([&] { return Answers(probes.hung); }, kLongHangMs), "the hung probe does not answer again");
    for (HWND h : VisibleWindows(k.pid()))
        Check(false, "left open at the end: " + Utf8(ClassOf(h)) + " " + Quote(WindowCaption(h)));
    Require(probes.neutral.Foreground(), "the neutral probe did not come to the front");
    const auto own = [](const Probe& probe, const std::wstring& caption, const std::string& which) {
        ExpectOwnCaption(probe, caption, 2000, which + " after the foreground moved on");
    };
    own(probes.retitling, probes.title, "the retitling probe");
    own(probes.hung, L"Soak hung", "the probe that hangs now and then");
    own(probes.empty, L"", "the probe without caption");
    own(probes.wide, kWideCaption, "the probe with text outside code page 932");
    own(probes.frame, std::wstring(L"Soak frame") + Probe::kDocumentSuffix, "the MDI frame probe");

    PostMessageW(k.MainWindow(), QuitRequestMessage(), 0, 0);
    ExpectExitZero(k, 5000, "the quit request");
    ExpectOwnCaption(probes.neutral, L"Soak neutral", 1000, "the neutral probe after the quit request");
}

// ---- the verdict ---------------------------------------------------------------

void PrintTable(const std::vector<Column>& columns, const std::vector<Sample>& samples, size_t baseline) {
    std::string head = "  time";
    for (const Column& c : columns) head += Format(" %10s", c.name);
    Log(head + "  steps");
    for (size_t i = 0; i < samples.size(); ++i) {
        std::string row = Clock(samples[i].at);
        for (const auto& v : samples[i].values) row += Format(" %10s", Cell(v).c_str());
        Log(row + Format("  %5d", samples[i].steps) + (i == baseline ? "  <- baseline" : ""));
    }
}

// Flat: the samples since the baseline do not climb step by step, and the
// last is within the slack of the baseline or the count has stopped rising
// for the last third of the run. Wine makes some objects the first time a
// text or picture needs them (a font for a character not drawn before), at
// no fixed step: such a rise comes once and stays, where a leak goes on.
void CheckFlat(const std::vector<Column>& columns, const std::vector<Sample>& samples, size_t baseline) {
    for (size_t c = 0; c < columns.size(); ++c) {
        if (!columns[c].read) {
            Log("count " + std::string(columns[c].name) + ": not measurable here, not judged");
            continue;
        }
        std::vector<long long> v;
        for (size_t i = baseline; i < samples.size(); ++i)
            if (samples[i].values[c]) v.push_back(*samples[i].values[c]);
        if (v.size() < 2) {
            Check(false, std::string(columns[c].name) + ": fewer than two samples after the warm-up");
            continue;
        }
        int rises = 0;
        bool falls = false, rises_late = false;
        const size_t late = std::max<size_t>(1, v.size() - std::max<size_t>(2, v.size() / 3));
        for (size_t i = 1; i < v.size(); ++i) {
            rises += v[i] > v[i - 1];
            falls = falls || v[i] < v[i - 1];
            rises_late = rises_late || (i >= late && v[i] > v[i - 1]);
        }
        // Climbing: rising at least three times, never falling, by more than half the slack.
        const bool within = v.back() <= v.front() + columns[c].slack,
                   climbing = !falls && rises >= 3 && 2 * (v.back() - v.front()) > columns[c].slack,
                   flat = (within || !rises_late) && !climbing;
        Log(Format("count %s: baseline %lld, last %lld (slack %lld), %d rises%s%s -> %s", columns[c].name, v.front(),
                   v.back(), columns[c].slack, rises, falls ? " and falls" : "", rises_late ? ", late" : "",
                   flat ? "flat" : "GROWS"));
        Check(flat, std::string(columns[c].name) + " grows");
    }
}

bool Run(int minutes) {
    const ULONGLONG interval = minutes >= 5 ? 60000 : 10000, warmMin = minutes >= 5 ? 2 * interval : 0;
    Log(Format("Soak run of kronvik.exe for %d min, a sample every %llu s; the baseline is the first sample after "
               "%llu min, two rounds of every action and the first announcement",
               minutes, interval / 1000, warmMin / 60000));

    // Defaults from a first start, then only 127.0.0.1 to synchronise with.
    RegDeleteTreeW(HKEY_CURRENT_USER, kVelkKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kVelkKey);
    Require(!KeyExists(kVelkKey), "could not clear HKCU\\Software\\Velk");
    Kronvik::StartResident();
    KillStarted();
    FakeHttpProxy proxy({200, false, 600, true});
    WriteString(kFlagKey, L"SNTP", L"127.0.0.1");
    WriteDword(kFlagKey, L"SNTPanswer", 2);
    WriteString(kFlagKey, L"PROXYADR", L"127.0.0.1");
    WriteString(kFlagKey, L"PROXYPORT", std::to_wstring(proxy.Port()));
    WriteDword(kFlagKey, L"MODE", 0);
    WriteDword(kFlagKey, L"RUN_AND_RUN", 0);
    WriteDword(kFlagKey, L"RUN_STOP", 0);
    // Appointments nobody touches: they must all be there at the end.
    for (int day : {2, 5, 9, 13, 20}) {
        const Slot slot{DayKey(day), L"18 00"};
        g_expected[slot] = L"soak 残す " + std::to_wstring(day);
        WriteString(slot.first, slot.second, g_expected[slot]);
    }
    WriteString(DayKey(-1), L"12 00", L"soak 過去");

    Kronvik k = Kronvik::StartResident();
    const std::vector<Column> columns = ChooseSources(k.process());
    for (const Column& c : columns) Log(Format("source %-10s ", c.name) + (c.read ? c.source : "none that works here"));
    Probes probes;
    std::thread watcher(WatchAnnouncements);
    std::vector<Sample> samples;
    const auto sample = [&](ULONGLONG at, int steps) {
        Sample s{at, steps, {}};
        for (const Column& c : columns) s.values.push_back(c.read ? c.read(k.process(), k.pid()) : std::nullopt);
        samples.push_back(s);
    };

    // Each action in turn, with the foreground moved on before each.
    using Action = void (*)(const Kronvik&, int);
    const Action actions[] = {
        PlantDue, TrayMenu, [](const Kronvik& kv, int) { Synchronise(kv, FakeSntpServer::Answer::Aligned, 0); },
        About, Store, [](const Kronvik& kv, int) { Synchronise(kv, FakeSntpServer::Answer::HourAhead, 1); },
        Settings, Delete, [](const Kronvik& kv, int) { Synchronise(kv, FakeSntpServer::Answer::Silent, 2); }};
    constexpr int kActions = static_cast<int>(std::size(actions));
    // Two rounds: each action's two ways (odd and even rounds) once.
    constexpr int kWarmSteps = 2 * kActions;
    const ULONGLONG start = NowMs(), end = start + static_cast<ULONGLONG>(minutes) * 60000;
    ULONGLONG next = start;
    size_t baseline = SIZE_MAX;
    int step = 0;
    for (ULONGLONG now = start; now < end; now = NowMs()) {
        if (!k.Running()) {
            Check(false, "kronvik.exe ended at " + Clock(now - start));
            break;
        }
        if (now >= next) {
            sample(now - start, step);
            const bool announced = AnyAnnounced();
            if (baseline == SIZE_MAX && step >= kWarmSteps && now - start >= warmMin && announced)
                baseline = samples.size() - 1;
            Log(Format("sample at%s after %d steps%s", Clock(now - start).c_str(), step,
                       announced ? "" : ", no announcement seen yet"));
            next += interval;
        }
        try {
            Turn(probes, step);
            actions[step % kActions](k, step / kActions);
        } catch (const SoakAbort&) {
            CloseLeftovers(k);
        }
        ++step;
    }
    const ULONGLONG activityEnd = NowMs();
    if (k.Running()) {
        sample(activityEnd - start, step);
        if (baseline == SIZE_MAX && step >= kWarmSteps && AnyAnnounced()) baseline = samples.size() - 1;
        try {
            EndOfRun(k, probes);
        } catch (const SoakAbort&) {
        }
    }
    g_watching = false;
    watcher.join();

    std::wstring today = DayKey(0);
    int kept = 0;
    for (const auto& [slot, text] : g_expected) {
        const RegValue v = ReadValue(slot.first, slot.second);
        if (slot.first < today && v.text != text) continue;  // a day that is over may be purged
        Check(v.text == text, "appointment " + Utf8(slot.first.substr(slot.first.rfind(L'\\') + 1)) + " " +
                                  Utf8(slot.second) + " is " + Describe(v) + ", expected " + Quote(text));
        kept += v.text == text;
    }
    int due = 0, seen = 0;
    for (const auto& d : g_dues) {
        if (d->at + 10000 > activityEnd) continue;
        ++due;
        seen += d->seen;
        Check(d->seen, "the appointment " + Quote(d->text) + " was never seen announced");
    }

    Log("");
    PrintTable(columns, samples, baseline);
    if (baseline == SIZE_MAX) {
        Check(false, "the run ended before two rounds of every action and the first announcement");
    } else {
        CheckFlat(columns, samples, baseline);
    }
    const auto& s = g_stats;
    Log(Format("steps %d: tray menus %d, about box %d, settings %d, appointments stored %d and deleted %d", step,
               s.menus, s.about, s.settings, s.stored, s.deleted));
    Log(Format("manual settings: aligned %d (%d set the clock), refused %d (%d), silent %d (%d)", s.syncs[0],
               s.syncSucceeded[0], s.syncs[1], s.syncSucceeded[1], s.syncs[2], s.syncSucceeded[2]));
    Log(Format("clock written into the probe in front on %d of %d turns; %d of %d due appointments seen announced",
               s.clockSeen, s.turns, seen, due));
    Log(Format("appointments kept: %d of %zu", kept, g_expected.size()));
    for (const std::string& f : g_failures) Log("failure: " + f);
    return g_failures.empty();
}

}  // namespace
}  // namespace e2e

int wmain(int argc, wchar_t** argv) {
    using namespace e2e;
    if (argc < 4) {
        std::fputs("usage: soak_driver <kronvik.exe> <results file> <minutes>\n", stderr);
        return 2;
    }
    g_kronvikExe = argv[1];
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    g_out = CreateFileW(argv[2], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_out == INVALID_HANDLE_VALUE) return 2;
    bool ok = false;
    try {
        ok = Run(std::max(1, _wtoi(argv[3])));
    } catch (const SoakAbort&) {
    } catch (const std::exception& e) {
        Check(false, std::string("exception: ") + e.what());
    }
    KillStarted();
    Log(ok ? "VERDICT PASS" : "VERDICT FAIL");
    CloseHandle(g_out);
    return ok ? 0 : 1;
}
