// The schedule seen from outside: the entry dialog driven by its buttons,
// spins and keyboard, the appointments in the registry, and the announcement
// in another program's caption.
#include "harness.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace e2e {
namespace {

const wchar_t kEntryCaption[] = L"予定入力フィールド";

std::wstring TimeName(int hour, int minute) {
    wchar_t text[16];
    swprintf(text, 16, L"%02d %02d", hour, minute);
    return text;
}

HWND OpenEntry(const Kronvik& k, WPARAM id) {
    PostCommand(k, id);
    // In front, the dialog's caption carries the clock like any other window's.
    HWND form = WaitVisibleWindow(k.pid(), L"TForm3", nullptr, 3000);
    Require(form != nullptr, "command " + std::to_string(id) + " showed no entry dialog");
    const std::wstring caption = WindowCaption(form);
    Check(caption.rfind(kEntryCaption, 0) == 0, "the entry dialog's caption is " + Quote(caption));
    return form;
}

// The warning box with its text, closed with its OK button.
void ExpectWarning(const Kronvik& k, const std::wstring& text, const std::string& when) {
    HWND box = WaitVisibleWindow(k.pid(), L"#32770", nullptr, 3000);
    Require(box != nullptr, "no warning box " + when);
    Check(WindowCaption(box).rfind(L"警告", 0) == 0, "the box " + when + " is " + Quote(WindowCaption(box)));
    Check(MessageBoxText(box) == text, "warning " + when + " reads " + Quote(MessageBoxText(box)));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    Check(WaitFor([&] { return !AnyVisibleWindow(k.pid(), L"#32770"); }, 2000), "the box stayed open");
}

// Which digit each of the twelve pictures shows, read from the screen and
// matched against the program's own digit pictures.
std::string ShownDigits(HWND form) {
    static std::array<std::vector<COLORREF>, 10> digits;
    static int digit_width = 0;
    if (digit_width == 0) {
        HMODULE module = LoadLibraryExW(g_kronvikExe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        Require(module != nullptr, "kronvik.exe cannot be read for its digit pictures");
        for (int d = 0; d < 10; ++d) {
            const std::wstring name = L"IMAGE10" + std::to_wstring(d);
            HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(module, name.c_str(), IMAGE_BITMAP, 0, 0, 0));
            Require(bitmap != nullptr, "no digit picture " + std::to_string(d));
            BITMAP info;
            GetObjectW(bitmap, sizeof info, &info);
            digit_width = info.bmWidth;
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(dc, bitmap);
            for (int y = 0; y < info.bmHeight; ++y)
                for (int x = 0; x < info.bmWidth; ++x) digits[d].push_back(GetPixel(dc, x, y));
            SelectObject(dc, old);
            DeleteDC(dc);
            DeleteObject(bitmap);
        }
        FreeLibrary(module);
    }
    // Each picture is copied off the screen in one call: read pixel by pixel,
    // one look took seconds and a passing overlap decided the whole wait.
    std::string shown;
    HDC screen = GetDC(nullptr);
    HDC copy = CreateCompatibleDC(screen);
    for (int i = 0; i < 12; ++i) {
        RECT r;
        GetWindowRect(RequireControl(form, entry_form::kImage0000 + i), &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(copy, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        Require(bitmap != nullptr, "no copy of a digit picture");
        HGDIOBJ old = SelectObject(copy, bitmap);
        BitBlt(copy, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const auto* pixels = static_cast<const uint32_t*>(bits);
        long best = -1;
        int best_digit = 0;
        for (int d = 0; d < 10; ++d) {
            const int rows = static_cast<int>(digits[d].size()) / digit_width;
            for (int shift = 0; shift <= digit_width - w && shift <= 1; ++shift) {
                long diff = 0;
                for (int y = 0; y < h && y < rows; ++y)
                    for (int x = 0; x < w; ++x) {
                        const uint32_t a = pixels[static_cast<size_t>(y * w + x)];  // 0xRRGGBB
                        const COLORREF b = digits[d][static_cast<size_t>(y * digit_width + x + shift)];
                        diff += std::abs(static_cast<int>((a >> 8) & 0xff) - GetGValue(b)) +
                                std::abs(static_cast<int>((a >> 16) & 0xff) - GetRValue(b));
                    }
                if (best < 0 || diff < best) best = diff, best_digit = d;
            }
        }
        SelectObject(copy, old);
        DeleteObject(bitmap);
        shown += static_cast<char>('0' + best_digit);
    }
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    return shown;
}

std::string DigitsOf(const SYSTEMTIME& date, int hour, int minute) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u%02u%02u%02d%02d", date.wYear, date.wMonth, date.wDay, hour, minute);
    return text;
}

void ExpectDigits(HWND form, const std::string& expected, const std::string& what) {
    std::string shown;
    const bool ok = WaitFor([&] { return (shown = ShownDigits(form)) == expected; }, 2000);
    Check(ok, what + ": the digit pictures show " + shown + ", expected " + expected);
}

E2E_CASE(schedule_new_appointment_is_checked_and_stored, 4) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wHour == 23 && now.wMinute >= 54) {
        Note("skipped: 23:55 today is not later than now");
        return;
    }
    Kronvik k = Kronvik::StartResident();
    const int buttons = TaskbarButtons();
    HWND form = OpenEntry(k, 100);
    ExpectDigits(form, DigitsOf(now, 0, 0), "a new appointment for today");
    Check(!WaitFor([&] { return TaskbarButtons() != buttons; }, 1000), "the entry dialog has a taskbar button");
    Check(!IsWindowEnabled(RequireControl(form, entry_form::kButton3)), "Delete is enabled for a new appointment");

    PressButton(form, entry_form::kButton2);
    ExpectWarning(k, L"予定が入力されていません。", "for an empty text");
    const std::wstring text = L"e2e 打ち合わせ 100%";
    SetControlText(form, entry_form::kEdit1, text);
    PressButton(form, entry_form::kButton2);
    ExpectWarning(k, L"時刻の設定に間違いがあります。（過去の時刻）", "for 00:00 today");
    Check(IsWindowVisible(form) != 0, "the dialog closed after a warning");

    ClickSpin(form, entry_form::kCSpinButton1, false);
    ClickSpin(form, entry_form::kCSpinButton2, false);
    ExpectDigits(form, DigitsOf(now, 23, 55), "after one step down on each spin");
    PressButton(form, entry_form::kButton2);
    Check(WaitFor([&] { return !IsWindowVisible(form); }, 2000), "Ok left the dialog open");
    const RegValue stored = ReadValue(DateKey(now), L"23 55");
    Check(stored.present && stored.type == REG_SZ && stored.text == text,
          "23 55 under today's key is " + Describe(stored));
}

E2E_CASE(schedule_appointment_is_moved_and_deleted_by_its_own_time, 4) {
    const SYSTEMTIME tomorrow = DaysFromToday(1);
    const std::wstring key = DateKey(tomorrow);
    WriteString(key, L"09 05", L"e2e 会議");
    WriteString(key, L"10 00", L"e2e 歯医者");
    Kronvik k = Kronvik::StartResident();

    HWND form = OpenEntry(k, 202);
    ExpectDigits(form, DigitsOf(tomorrow, 10, 0), "the second appointment of tomorrow");
    Check(ControlText(RequireControl(form, entry_form::kEdit1)) == L"e2e 歯医者", "the text is " + Quote(ControlText(RequireControl(form, entry_form::kEdit1))));
    Check(IsWindowEnabled(RequireControl(form, entry_form::kButton3)) != 0, "Delete is disabled on an appointment");

    ClickSpin(form, entry_form::kCSpinButton1, false);  // 09:00
    PressButton(form, entry_form::kButton2);
    Check(WaitFor([&] { return !IsWindowVisible(form); }, 2000), "Ok left the dialog open");
    Check(!ReadValue(key, L"10 00").present, "the old time 10 00 is still stored");
    Check(ReadValue(key, L"09 00").text == L"e2e 歯医者", "09 00 is " + Describe(ReadValue(key, L"09 00")));

    // Now 09:00 comes first. Moving the spins onto 09:05 and pressing Delete
    // must delete 09:00, the appointment opened, and nothing else.
    form = OpenEntry(k, 201);
    ExpectDigits(form, DigitsOf(tomorrow, 9, 0), "the moved appointment");
    ClickSpin(form, entry_form::kCSpinButton2, true);
    ExpectDigits(form, DigitsOf(tomorrow, 9, 5), "after one step up");
    PressButton(form, entry_form::kButton3);
    Check(WaitFor([&] { return !IsWindowVisible(form); }, 2000), "Delete left the dialog open");
    Check(!ReadValue(key, L"09 00").present, "09 00 was not deleted");
    Check(ReadValue(key, L"09 05").text == L"e2e 会議", "09 05 is " + Describe(ReadValue(key, L"09 05")));

    // Esc leaves like Cancel and stores nothing.
    form = OpenEntry(k, 201);
    SetControlText(form, entry_form::kEdit1, L"e2e changed");
    PostMessageW(RequireControl(form, entry_form::kEdit1), WM_KEYDOWN, VK_ESCAPE, 0);
    Check(WaitFor([&] { return !IsWindowVisible(form); }, 2000), "Esc left the dialog open");
    Check(ReadValue(key, L"09 05").text == L"e2e 会議", "Esc changed 09 05");
}

// A name written by hand beside the usual one of the same time.
E2E_CASE(schedule_appointment_is_changed_and_deleted_under_its_own_name, 4) {
    const std::wstring key = DateKey(DaysFromToday(1));
    WriteString(key, L"09 05", L"e2e 会議");
    WriteString(key, L"9 5", L"e2e 手書き");
    Kronvik k = Kronvik::StartResident();
    HWND form = OpenEntry(k, 202);  // "9 5" sorts after "09 05"
    SetControlText(form, entry_form::kEdit1, L"e2e 変更");
    PressButton(form, entry_form::kButton2);
    Check(WaitFor([&] { return ReadValue(key, L"9 5").text == L"e2e 変更"; }, 2000), "Ok did not change 9 5");
    PressButton(OpenEntry(k, 202), entry_form::kButton3);
    Check(WaitFor([&] { return !ReadValue(key, L"9 5").present; }, 2000), "Delete left 9 5");
    Check(ReadValue(key, L"09 05").text == L"e2e 会議", "09 05 is " + Describe(ReadValue(key, L"09 05")));
}

E2E_CASE(schedule_dialog_stays_on_screen_and_limits_its_text_to_60_bytes, 4) {
    Kronvik k = Kronvik::StartResident();
    // Opened at the cursor in the screen's corner, it is moved inside the work area.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    HWND form = OpenEntry(k, 200);
    RECT area, rect;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(form, &rect);
    Check(rect.left >= area.left && rect.top >= area.top && rect.right <= area.right && rect.bottom <= area.bottom,
          "the dialog lies at " + std::to_string(rect.left) + "," + std::to_string(rect.top) + " - " +
              std::to_string(rect.right) + "," + std::to_string(rect.bottom) + ", outside the work area");
    HWND edit = RequireControl(form, entry_form::kEdit1);
    for (int i = 0; i < 31; ++i) PostMessageW(edit, WM_CHAR, L'予', 0);
    std::wstring thirty;
    for (int i = 0; i < 30; ++i) thirty += L'予';
    std::wstring text;
    WaitFor([&] { return (text = ControlText(edit)).size() >= 30; }, 3000);
    SleepMs(300);
    text = ControlText(edit);
    Check(text == thirty, "31 full-width characters typed give " + std::to_string(text.size()) + " characters");

    SetControlText(form, entry_form::kEdit1, L"");
    Require(OpenClipboard(nullptr) != 0, "the clipboard cannot be opened");
    EmptyClipboard();
    const std::wstring pasted = L"abcdefghij予abcdefghijabcdefghijabcdefghijabcdefghijabcdefghij";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(memory), pasted.c_str(), (pasted.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    PostMessageW(edit, WM_PASTE, 0, 0);
    WaitFor([&] { return !ControlText(edit).empty(); }, 3000);
    SleepMs(300);
    text = ControlText(edit);
    Check(text == pasted.substr(0, 59), "the pasted text became " + Quote(text));
    PressButton(form, entry_form::kButton1);
}

E2E_CASE(schedule_due_appointment_is_announced_and_past_days_purged, 4) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    // Enough of the minute left to see the announcement start.
    if (now.wSecond >= 45) {
        SleepMs((61 - now.wSecond) * 1000);
        GetLocalTime(&now);
    }
    for (int days = 1; days <= 10; ++days) WriteString(DateKey(DaysFromToday(-days)), L"12 00", L"e2e past");
    const std::wstring far_key = DateKey(DaysFromToday(20));
    WriteString(far_key, L"12 00", L"e2e far");
    const std::wstring text = L"e2e 予定の時刻です";
    WriteString(DateKey(now), TimeName(now.wHour, now.wMinute), text);

    const std::wstring own = L"Kronvik e2e schedule";
    Probe probe(own);
    Require(probe.Foreground(), "probe window did not become the foreground window");
    Kronvik k = Kronvik::StartResident();
    ExpectCaption(probe.hwnd(), [&] { return std::vector<std::wstring>{own + L"   " + text}; }, 1500,
                  "the appointment of this minute");
    // The clock comes back with the next minute.
    SYSTEMTIME next = now;
    Require(WaitFor([&] {
                GetLocalTime(&next);
                return next.wMinute != now.wMinute;
            }, 62000),
            "the minute did not end");
    ExpectCaption(probe.hwnd(), [&] { return WithClock(own); }, 1500, "the first ticks of the next minute");

    PostMessageW(k.MainWindow(), kTrayNotify, 0, WM_RBUTTONDOWN);
    HWND menu = WaitVisibleWindow(k.pid(), L"#32768", nullptr, 3000);
    Require(menu != nullptr, "no tray menu");
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    WaitFor([&] { return !AnyVisibleWindow(k.pid(), L"#32768"); }, 2000);
    int past_left = 0;
    for (int days = 1; days <= 10; ++days) past_left += KeyExists(DateKey(DaysFromToday(-days))) ? 1 : 0;
    Check(past_left == 0, std::to_string(past_left) + " keys of past days are left after the menu opened");
    Check(KeyExists(far_key), "the key for today + 20 was deleted");
    Check(ReadValue(DateKey(now), TimeName(now.wHour, now.wMinute)).text == text, "today's appointment is gone");
}

// An appointment whose minute has passed, as the caption and the balloon name it.
std::wstring MissedLine(const SYSTEMTIME& day, int minutes, const std::wstring& text) {
    wchar_t when[32];
    swprintf(when, 32, L"%02u/%02u %02d:%02d ", day.wMonth, day.wDay, minutes / 60, minutes % 60);
    return when + text;
}

// The text of the balloon the shell shows by a tray icon (Wine about two seconds after it was asked).
std::wstring BalloonText() {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        if (ClassOf(w) == L"tooltips_class32" && IsWindowVisible(w) && !ControlText(w).empty()) return ControlText(w);
    return {};
}

E2E_CASE(schedule_missed_appointment_is_told_at_start_in_caption_and_balloon, 4) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int minutes = now.wHour * 60 + now.wMinute - 2;
    if (minutes < 0) return Note("skipped: two minutes ago was yesterday");
    const std::wstring text = L"e2e 見逃した会議", own = L"Kronvik e2e missed", line = MissedLine(now, minutes, text);
    WriteString(DateKey(now), TimeName(minutes / 60, minutes % 60), text);
    Probe probe(own);
    Require(probe.Foreground(), "probe window did not become the foreground window");
    Kronvik::StartResident();
    ExpectCaption(probe.hwnd(), [&] { return std::vector<std::wstring>{own + L"   見逃した予定 " + line}; }, 3000, "start");
    std::wstring balloon;
    Check(WaitFor([&] { return (balloon = BalloonText()) == line; }, 5000), "the balloon reads " + Quote(balloon));
}

// The minute passes while the window in front takes no caption; a resume tells it.
E2E_CASE(schedule_appointment_passed_behind_a_refusing_window_is_told_on_resume, 4) {
    Probe refusing(L"Kronvik e2e refuses", Probe::Kind::RefusesCaption);
    Require(refusing.Foreground(), "the refusing probe did not become the foreground window");
    Kronvik k = Kronvik::StartResident();
    SYSTEMTIME now, later;
    GetLocalTime(&now);
    const std::wstring text = L"e2e 席を外していた間の予定", own = L"Kronvik e2e resume";
    WriteString(DateKey(now), TimeName(now.wHour, now.wMinute), text);
    Require(WaitFor([&] { return GetLocalTime(&later), later.wMinute != now.wMinute; }, 62000), "the minute did not end");
    Probe probe(own);
    ShowClockIn(probe, own, "after the appointment's minute");
    PostMessageW(k.MainWindow(), WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    const std::wstring told = own + L"   見逃した予定 " + MissedLine(now, now.wHour * 60 + now.wMinute, text);
    ExpectCaption(probe.hwnd(), [&] { return std::vector<std::wstring>{told}; }, 3000, "the resume");
}

}  // namespace
}  // namespace e2e
