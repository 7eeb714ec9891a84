// The caption clock seen from another program's windows, and the ways the
// program ends: quit request, WM_CLOSE, and a foreground window that hangs.
#include "harness.h"

#include <tuple>

namespace e2e {
namespace {

// Kronvik ticks every 500 ms; a write or a restore is due within two ticks.
constexpr DWORD kTickSlackMs = 1500;

void PostQuit(HWND main, WPARAM wp, LPARAM lp) {
    Require(PostMessageW(main, QuitRequestMessage(), wp, lp) != 0, "PostMessage of the quit request failed");
}

E2E_CASE(caption_clock_follows_foreground, 1) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring a = L"Kronvik e2e A", b = L"Kronvik e2e B";
    Probe pa(a);
    ShowClockIn(pa, a, "first window");
    // The clock is rewritten in place, never stacked onto itself.
    SleepMs(1200);
    ExpectCaption(pa.hwnd(), [&] { return WithClock(a); }, 600, "first window after two more ticks");

    Probe pb(b);
    ShowClockIn(pb, b, "second window");
    ExpectOwnCaption(pa, a, kTickSlackMs, "first window after losing the foreground");
    // And back again.
    ShowClockIn(pa, a, "first window again");
    ExpectOwnCaption(pb, b, kTickSlackMs, "second window after losing the foreground");
    Check(k.Running(), "kronvik.exe ended during the case");
}

E2E_CASE(caption_window_retitling_itself_is_followed, 1) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring before = L"Kronvik e2e doc1", after = L"Kronvik e2e doc2 — 編集中";
    Probe probe(before);
    ShowClockIn(probe, before, "before the window renames itself");
    SetWindowTextW(probe.hwnd(), after.c_str());
    ExpectCaption(probe.hwnd(), [&] { return WithClock(after); }, kTickSlackMs,
                  "after the window renamed itself");
    Probe other(L"Kronvik e2e other");
    ShowClockIn(other, L"Kronvik e2e other", "second window");
    ExpectOwnCaption(probe, after, kTickSlackMs, "renamed window after losing the foreground");
    Check(k.Running(), "kronvik.exe ended during the case");
}

// A real MDI frame shows its maximised document after any text it is given:
// the clock stands before the document, once, and the frame's title comes
// back as it showed it, however often it is visited.
E2E_CASE(caption_mdi_frame_shows_its_document_once, 1) {
    const std::wstring title = L"Kronvik e2e frame", own = title + Probe::kDocumentSuffix;
    Probe frame(title, Probe::Kind::MdiFrame);
    Require(WaitFor([&] { return frame.Caption() == own; }, 2000), "the frame shows " + Quote(frame.Caption()));
    Kronvik k = Kronvik::StartResident();
    Probe other(L"Kronvik e2e other");
    const auto clocked = [&] {
        std::vector<std::wstring> shown;
        for (const std::wstring& text : WithClock(title)) shown.push_back(text + Probe::kDocumentSuffix);
        return shown;
    };
    for (int visit = 0; visit < 2; ++visit) {
        const std::string which = "the frame in front, visit " + std::to_string(visit);
        Require(frame.Foreground(), "the frame did not come to the front");
        ExpectCaption(frame.hwnd(), clocked, kTickSlackMs, which);
        SleepMs(1000);
        ExpectCaption(frame.hwnd(), clocked, 600, which + ", a second later");
        ShowClockIn(other, L"Kronvik e2e other", "the other window");
        ExpectOwnCaption(frame, own, kTickSlackMs, "the frame after visit " + std::to_string(visit));
    }
    Check(k.Running(), "kronvik.exe ended during the case");
}

// What a window shows decides, not what it answers.
E2E_CASE(caption_window_answering_no_shows_one_clock, 1) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring own = L"Kronvik e2e says no";
    Probe probe(own, Probe::Kind::StoresAnswersNo);
    ShowClockIn(probe, own, "the window that answers no");
    SleepMs(1500);
    ExpectCaption(probe.hwnd(), [&] { return WithClock(own); }, 600, "three ticks later");
    Probe other(L"Kronvik e2e other");
    ShowClockIn(other, L"Kronvik e2e other", "the other window");
    ExpectOwnCaption(probe, own, kTickSlackMs, "the window that answers no, after losing the foreground");
    Check(k.Running(), "kronvik.exe ended during the case");
}

// A window that keeps its caption gets five attempts, then is left alone
// until the minute changes.
E2E_CASE(caption_refused_is_retried_five_times, 1) {
    Kronvik k = Kronvik::StartResident();
    Probe probe(L"Kronvik e2e stubborn", Probe::Kind::RefusesCaption);
    SYSTEMTIME from;
    GetLocalTime(&from);
    Require(probe.Foreground(), "probe window did not become the foreground window");
    Require(WaitFor([&] { return probe.SetTextCount() >= 5; }, 10000),
            std::to_string(probe.SetTextCount()) + " caption writes in 10 s, expected 5");
    // Then it gives up: a sixth try would come within a tick or two.
    SleepMs(2000);
    const int attempts = probe.SetTextCount();
    SYSTEMTIME to;
    GetLocalTime(&to);
    if (from.wMinute == to.wMinute) {
        Check(attempts == 5, std::to_string(attempts) + " caption writes, expected 5");
    } else {
        Check(attempts >= 5 && attempts <= 10,
              std::to_string(attempts) + " caption writes across a new minute, expected 5 to 10");
    }
    Check(k.Running(), "kronvik.exe ended during the case");
}

E2E_CASE(caption_display_off_touches_no_caption, 1) {
    Kronvik::StartResident();
    KillStarted();
    WriteDword(kFlagKey, L"DSP_FLAG", 2);
    Kronvik k = Kronvik::StartResident();
    Probe probe(L"Kronvik e2e untouched", Probe::Kind::RefusesCaption);
    Require(probe.Foreground(), "probe window did not become the foreground window");
    SleepMs(1600);
    Check(probe.SetTextCount() == 0,
          std::to_string(probe.SetTextCount()) + " caption writes with the display switched off");
    Check(k.Running(), "kronvik.exe ended during the case");
}

// Turned off in the settings dialog, the display gives every caption back
// at once, the dialog's own among them, and writes none after.
E2E_CASE(caption_display_turned_off_gives_the_captions_back, 1) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring own = L"Kronvik e2e turned off";
    Probe probe(own);
    ShowClockIn(probe, own, "before the settings dialog");
    PostCommand(k, 1);
    HWND form = WaitVisibleWindow(k.pid(), L"TForm4", nullptr, 3000);
    Require(form != nullptr, "no settings dialog");
    Require(WaitFor([&] { return WindowCaption(form).find(L"   ") != std::wstring::npos; }, 1500),
            "the settings dialog shows no clock");
    const std::wstring title = WindowCaption(form).substr(0, WindowCaption(form).find(L"   "));
    PressButton(form, settings_form::kRadioButton3);
    PressButton(form, settings_form::kButton1);
    Require(WaitFor([&] { return ReadValue(kFlagKey, L"DSP_FLAG").dword == 2; }, 3000), "Apply stored no DSP_FLAG 2");
    ExpectCaption(form, [&] { return std::vector<std::wstring>{title}; }, kTickSlackMs, "the settings dialog");
    Require(probe.Foreground(), "the window did not come to the front again");
    SleepMs(1200);
    ExpectOwnCaption(probe, own, 0, "the window in front with the display off");
    Check(k.Running(), "kronvik.exe ended during the case");
}

E2E_CASE(caption_empty_window_gets_empty_caption_back, 1) {
    Kronvik k = Kronvik::StartResident();
    Probe empty(L"");
    ShowClockIn(empty, L"", "window without caption");
    Probe other(L"Kronvik e2e other");
    ShowClockIn(other, L"Kronvik e2e other", "second window");
    ExpectOwnCaption(empty, L"", kTickSlackMs, "window without caption after losing the foreground");
    Check(k.Running(), "kronvik.exe ended during the case");
}

E2E_CASE(caption_outside_cp932_survives, 1) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring own = L"\U0001F600 한국어 café ß — 日本語 ～ ①";
    Probe probe(own);
    ShowClockIn(probe, own, "window with characters outside code page 932");
    Probe other(L"Kronvik e2e other");
    ShowClockIn(other, L"Kronvik e2e other", "second window");
    ExpectOwnCaption(probe, own, kTickSlackMs, "caption outside code page 932 restored");
    Check(k.Running(), "kronvik.exe ended during the case");
}

E2E_CASE(quit_request_restores_caption_and_exits, 1) {
    Kronvik k = Kronvik::StartResident();
    HWND main = k.MainWindow();
    const std::wstring own = L"Kronvik e2e quit";
    Probe probe(own);
    ShowClockIn(probe, own, "before the quit request");
    PostQuit(main, 7, 0);  // any wParam
    ExpectExitZero(k, 2000, "the quit request");
    ExpectOwnCaption(probe, own, 200, "caption after the quit request");
}

E2E_CASE(quit_request_restores_empty_caption, 1) {
    Kronvik k = Kronvik::StartResident();
    Probe probe(L"");
    ShowClockIn(probe, L"", "before the quit request");
    PostQuit(k.MainWindow(), 0, 0);
    ExpectExitZero(k, 2000, "the quit request");
    ExpectOwnCaption(probe, L"", 200, "empty caption after the quit request");
}

E2E_CASE(quit_request_broadcast_ends_program, 1) {
    Kronvik k = Kronvik::StartResident();
    Require(PostMessageW(HWND_BROADCAST, QuitRequestMessage(), 0, 0) != 0, "broadcast failed");
    ExpectExitZero(k, 2000, "the broadcast quit request");
}

E2E_CASE(quit_request_with_lparam_1_is_ignored, 1) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring own = L"Kronvik e2e stays";
    Probe probe(own);
    ShowClockIn(probe, own, "before the message");
    PostQuit(k.MainWindow(), 0, 1);
    SleepMs(1500);
    Require(k.Running(), "kronvik.exe ended on a quit request with lParam 1");
    ExpectCaption(probe.hwnd(), [&] { return WithClock(own); }, 600, "clock after the ignored request");
}

E2E_CASE(wm_close_ends_in_order, 1) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring own = L"Kronvik e2e close";
    Probe probe(own);
    ShowClockIn(probe, own, "before WM_CLOSE");
    PostMessageW(k.MainWindow(), WM_CLOSE, 0, 0);
    ExpectExitZero(k, 2000, "WM_CLOSE");
    ExpectOwnCaption(probe, own, 200, "caption after WM_CLOSE");
}

// Makes the probe stop pumping and confirms that it really does not answer.
void HangProbe(Probe& probe, DWORD ms = 20000) {
    probe.Hang(ms);
    const bool hung = WaitFor(
        [&] { return SendMessageTimeoutW(probe.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 100, nullptr) == 0; },
        1000);
    Require(hung, "the probe window still answers messages after it was told to hang");
}

E2E_CASE(hung_foreground_window_does_not_block_quit, 1) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring own = L"Kronvik e2e hung";
    Probe probe(own);
    ShowClockIn(probe, own, "before the hang");
    // The window stops answering; Kronvik keeps writing to it, and its exit
    // sequence has to put the caption back into it.
    HangProbe(probe);
    SleepMs(1000);
    PostQuit(k.MainWindow(), 0, 0);
    ExpectExitZero(k, 3000, "the quit request to a program whose foreground window hangs");
    probe.Release();
}

E2E_CASE(hung_window_losing_foreground_does_not_stall_clock, 1) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring own = L"Kronvik e2e hung", other = L"Kronvik e2e next";
    Probe hung(own);
    ShowClockIn(hung, own, "before the hang");
    HangProbe(hung);
    // Restoring the hung window's caption must not hold up the next one.
    Probe next(other);
    Require(next.Foreground(), "second probe did not become the foreground window");
    ExpectCaption(next.hwnd(), [&] { return WithClock(other); }, 3000,
                  "clock in the next window while the previous one hangs");
    PostQuit(k.MainWindow(), 0, 0);
    ExpectExitZero(k, 3000, "the quit request");
    hung.Release();
}

// Two windows stop pumping for 7 s, past the system's hung threshold, while
// the focus moves on from each: once they pump again both show their own
// captions, and keep them.
E2E_CASE(caption_hung_windows_get_their_captions_back, 1) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring a = L"Kronvik e2e hung A", b = L"Kronvik e2e hung B", c = L"Kronvik e2e next";
    Probe pa(a), pb(b), pc(c);
    ShowClockIn(pa, a, "the first window");
    HangProbe(pa, 7000);
    ShowClockIn(pb, b, "the second window while the first hangs");
    HangProbe(pb, 7000);
    ShowClockIn(pc, c, "the third window while both hang");
    ExpectOwnCaption(pa, a, 10000, "the first window once it pumps again");
    ExpectOwnCaption(pb, b, 3000, "the second window once it pumps again");
    SleepMs(1500);
    Check(pa.Caption() == a && pb.Caption() == b,
          "a caption changed again: " + Quote(pa.Caption()) + ", " + Quote(pb.Caption()));
    Check(k.Running(), "kronvik.exe ended during the case");
}

// A clock change or a resume from sleep recomposes the clock text at once:
// a memo reloaded by the settings dialog shows without waiting for the minute.
E2E_CASE(clock_change_and_resume_recompose_the_clock_text, 1) {
    Kronvik k = Kronvik::StartResident();
    const std::wstring own = L"Kronvik e2e time change";
    Probe probe(own);
    ShowClockIn(probe, own, "before the clock change");
    for (const auto& [message, wparam, memo] :
         {std::tuple{UINT{WM_TIMECHANGE}, WPARAM{0}, std::wstring(L"e2e after time change")},
          std::tuple{UINT{WM_POWERBROADCAST}, WPARAM{PBT_APMRESUMEAUTOMATIC}, std::wstring(L"e2e after resume")}}) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        if (now.wSecond >= 50) SleepMs((61 - now.wSecond) * 1000);
        WriteString(kFlagKey, L"MEMO", memo);
        // The dialog's fill reloads the settings but leaves the minute's text.
        PostMessageW(k.MainWindow(), WM_COMMAND, 1, 0);
        HWND form = WaitVisibleWindow(k.pid(), L"TForm4", nullptr, 3000);
        Require(form != nullptr, "no settings dialog");
        PostMessageW(form, WM_CLOSE, 0, 0);
        Require(probe.Foreground(), "probe window did not become the foreground window");
        SleepMs(1200);
        Check(probe.Caption().find(memo) == std::wstring::npos, "the memo showed before the message");
        PostMessageW(k.MainWindow(), message, wparam, 0);
        std::wstring caption;
        Check(WaitFor([&] { return (caption = probe.Caption()).find(memo) != std::wstring::npos; }, 1500),
              "message " + std::to_string(message) + ": the caption is still " + Quote(caption));
    }
    Check(k.Running(), "kronvik.exe ended");
}

}  // namespace
}  // namespace e2e
