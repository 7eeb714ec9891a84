#pragma once
// End-to-end harness: starts kronvik.exe inside the Wine desktop, gives it probe
// windows to write its clock into, and reads back captions, registry values and
// exit codes. Every wait is bounded; the runner kills what a case leaves behind.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "resources/layout_about.h"
#include "resources/layout_entry.h"
#include "resources/layout_settings.h"

namespace e2e {

// The dialogs' controls, by the ids of their layout tables.
namespace about_form = kronvik::about_form;
namespace entry_form = kronvik::entry_form;
namespace settings_form = kronvik::settings_form;

// ---- text -------------------------------------------------------------------
std::string Utf8(const std::wstring& text);
// A caption as it should appear in a failure message: UTF-8 in quotes.
std::string Quote(const std::wstring& text);

// ---- checks -----------------------------------------------------------------
// Check records a failure and lets the case go on; Require ends the case.
void Check(bool ok, const std::string& what);
void Require(bool ok, const std::string& what);
[[noreturn]] void Abort(const std::string& what);
[[noreturn]] void Stop();  // ends the case after a failure already recorded
void Note(const std::string& what);  // informational line under the case

using CaseFn = std::function<void()>;
// Cases of this batch or later run only when named: they need more than kronvik.exe.
constexpr int kOnDemandBatch = 100;
int RegisterCase(const std::string& name, int batch, CaseFn fn);

#define E2E_CONCAT2(a, b) a##b
#define E2E_CONCAT(a, b) E2E_CONCAT2(a, b)
#define E2E_CASE(name, batch)                                                      \
    static void name();                                                            \
    [[maybe_unused]] static const int E2E_CONCAT(name, _registered) =               \
        ::e2e::RegisterCase(#name, batch, name);                                   \
    static void name()

// ---- time -------------------------------------------------------------------
// Elapsed milliseconds on a monotonic clock.
ULONGLONG NowMs();
void SleepMs(DWORD ms);
// Polls cond every 25 ms until it holds or timeoutMs passed; true if it held.
bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs);

// Clock text of the default settings for a local time, and the time-only form.
std::wstring DefaultClockText(const SYSTEMTIME& t);
std::wstring TimeOnlyClockText(const SYSTEMTIME& t);
// The local times of now and of a few seconds ago (a caption may still carry
// the previous minute right after a rollover).
std::vector<SYSTEMTIME> RecentLocalTimes();

// ---- registry (HKEY_CURRENT_USER) -------------------------------------------
extern const wchar_t* const kVelkKey;
extern const wchar_t* const kFlagKey;
extern const wchar_t* const kInfoKey;
extern const wchar_t* const kInternetSettingsKey;

struct RegValue {
    bool present = false;
    DWORD type = REG_NONE;
    DWORD dword = 0;
    std::wstring text;
};
RegValue ReadValue(const std::wstring& key, const std::wstring& name);
bool KeyExists(const std::wstring& key);
std::vector<std::wstring> ValueNames(const std::wstring& key);
void DeleteValue(const std::wstring& key, const std::wstring& name);
void WriteDword(const std::wstring& key, const std::wstring& name, DWORD value);
void WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value);
std::string Describe(const RegValue& v);

// Puts one appointment under Information so that a test can see whether the
// schedule survived.
extern const wchar_t* const kPlantedDayKey;
extern const wchar_t* const kPlantedTime;
extern const wchar_t* const kPlantedText;
// The registry key of a date's appointments.
std::wstring DateKey(const SYSTEMTIME& t);
// The local time a number of whole days from now (negative: ago).
SYSTEMTIME DaysFromToday(int days);
// The tray icon's message.
constexpr UINT kTrayNotify = 0x08C9;
void PlantAppointment();
bool AppointmentPresent();

// Restores a value of HKCU when the scope ends (or deletes it if it was absent).
class ValueRestorer {
public:
    ValueRestorer(std::wstring key, std::wstring name);
    ~ValueRestorer();
    ValueRestorer(const ValueRestorer&) = delete;
    ValueRestorer& operator=(const ValueRestorer&) = delete;

private:
    std::wstring key_, name_;
    RegValue saved_;
};

// ---- windows ----------------------------------------------------------------
// Top-level windows (visible or not) of a process with the given class.
std::vector<HWND> FindTopWindows(DWORD pid, const wchar_t* cls);
std::wstring WindowCaption(HWND hwnd);         // never sends a message
std::wstring ControlText(HWND hwnd);           // WM_GETTEXT with a time-out
std::wstring ClassOf(HWND hwnd);
// The text of a message box: every non-empty Static child, joined.
std::wstring MessageBoxText(HWND box);
// A descendant control by its control id (controls may sit on panels).
HWND FindControl(HWND root, int id);
// A visible top-level window of the process with that class (and caption,
// when given: alone or followed by the clock), waited for up to timeoutMs.
HWND WaitVisibleWindow(DWORD pid, const wchar_t* cls, const wchar_t* caption, DWORD timeoutMs);
bool AnyVisibleWindow(DWORD pid, const wchar_t* cls);
// A real left click (through the input queue) at a point in screen coordinates.
void ClickAt(POINT screen);
// A control of a form by its id; ends the case when there is none.
HWND RequireControl(HWND form, int id);
// A posted BM_CLICK, as a mouse click on the button would do.
void PressButton(HWND form, int id);
// Key strokes through the input queue: each a virtual key, pressed (true) or
// released (false), to whatever has the keyboard focus.
void Keys(std::initializer_list<std::pair<WORD, bool>> strokes);
// A real click on the upper or lower arrow of an up-down control.
void ClickSpin(HWND form, int id, bool up);
// WM_SETTEXT to a control of another process.
void SetControlText(HWND form, int id, const std::wstring& text);

// ---- the program under test -------------------------------------------------
// The path of kronvik.exe, as the runner was given it.
extern std::wstring g_kronvikExe;

class Kronvik;
// Defaults from a first start, the synchronisation pointed at 127.0.0.1.
void PrepareSettings();
// A menu command posted to the main window, as the tray menu posts it.
void PostCommand(const Kronvik& k, WPARAM id);

class Kronvik {
public:
    // Starts kronvik.exe with the command line tail `args` (may be empty).
    // Retries CreateProcess a few times on ERROR_INTERNAL_ERROR (1359), which
    // Wine reports right after another process was killed.
    static Kronvik Start(const std::wstring& args = L"");
    // Start, then WaitReady.
    static Kronvik StartResident(const std::wstring& args = L"");

    DWORD pid() const { return pid_; }
    HANDLE process() const { return process_; }
    bool Running() const;
    // The exit code if the process ended within timeoutMs.
    std::optional<DWORD> WaitExit(DWORD timeoutMs) const;
    // Waits for the main window and the start of the message loop.
    HWND WaitReady(DWORD timeoutMs = 15000);
    HWND MainWindow() const;

private:
    DWORD pid_ = 0;
    HANDLE process_ = nullptr;  // owned by the runner's process list
};

// Whether the shell holds a notification icon of (window, id); asked with a
// modification that changes nothing.
bool TrayIconExists(HWND owner, UINT id);

// Ends every kronvik.exe this driver started (by handle) and waits for it.
void KillStarted();
// True while any kronvik.exe instance (ours or a stray one) holds the mutex.
bool InstanceMutexExists();

UINT QuitRequestMessage();
// The visible buttons of the desktop's taskbar: the start button and one for
// each window that has its own.
int TaskbarButtons();

// ---- probe windows ----------------------------------------------------------
// A top-level window on a thread of its own that keeps pumping messages, so
// that another process can set its caption.
class Probe {
public:
    enum class Kind {
        Normal,
        RefusesCaption,  // keeps its caption and counts every WM_SETTEXT
        StoresAnswersNo, // keeps the text it is given but answers FALSE
        MdiFrame,        // an MDI frame with a maximised document: shows kDocumentSuffix after any text
    };
    static constexpr const wchar_t* kDocumentSuffix = L" - [doc]";
    explicit Probe(const std::wstring& caption, Kind kind = Kind::Normal);
    ~Probe();
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Brings the window to the foreground; false if it did not get there.
    bool Foreground(DWORD timeoutMs = 3000);
    std::wstring Caption() const { return WindowCaption(hwnd_); }
    // Stops the window's thread from pumping until Release or maxMs.
    void Hang(DWORD maxMs);
    void Release();
    int SetTextCount() const { return setTextCount_; }

private:
    static DWORD WINAPI ThreadMain(void* self);
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void CreateDocument(HWND frame);
    std::wstring initial_;
    Kind kind_;
    volatile LONG setTextCount_ = 0;
    HWND hwnd_ = nullptr;
    HWND client_ = nullptr;  // an MDI frame's client window
    HANDLE thread_ = nullptr;
    HANDLE ready_ = nullptr;
    HANDLE release_ = nullptr;
};

// Waits until the window's caption equals one of the texts made by expected()
// (re-evaluated at every poll). On time-out records a failure showing the
// expectation and the caption last seen; returns whether it matched and, in
// latencyMs, how long it took.
bool ExpectCaption(HWND hwnd, const std::function<std::vector<std::wstring>()>& expected,
                   DWORD timeoutMs, const std::string& what, DWORD* latencyMs = nullptr);
// Brings the probe to the front and waits for own + the clock in its
// caption; ends the case if it does not come.
void ShowClockIn(Probe& probe, const std::wstring& own, const std::string& what);
void ExpectOwnCaption(const Probe& probe, const std::wstring& own, DWORD timeoutMs, const std::string& what);
// The process ends within timeoutMs with exit code 0.
void ExpectExitZero(const Kronvik& k, DWORD timeoutMs, const std::string& after);

// Caption = own + three blanks + the default clock text.
std::vector<std::wstring> WithClock(const std::wstring& own);
std::vector<std::wstring> WithTimeOnlyClock(const std::wstring& own);

}  // namespace e2e
