// Setting the clock: manual synchronisations by SNTP and HTTP against the
// fakes on 127.0.0.1, the reply checks, the automatic runs after start-up
// and daily, the bound of a slow exchange, and a server's time far off.
// Wine refuses a clock set more than half a second off, so an aligned answer
// that Kronvik accepts succeeds and anything else it wrongly believed fails.
#include <cwchar>
#include <functional>
#include <memory>

#include "fake_servers.h"
#include "harness.h"

namespace e2e {
namespace {

const wchar_t kManualCaption[] = L"日付時刻設定（手動）";
const wchar_t kFailureCaption[] = L"日付時刻設定";
const wchar_t kFailureText[] =
    L"日付時刻合わせに失敗しました。\n"
    L"再度時刻合わせを行うか、SNTP<->HTTPの切り替えを行い再度時刻合わせを行って下さい。";
// Wine refuses a clock setting more than half a second off as a missing right.
const wchar_t kNoRightsLine[] = L"\n時刻を変更する権限がありません。";

void PressBoxButton(HWND box, int id) {
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

// Defaults from a first start, then both methods pointed at 127.0.0.1.
void PrepareSync(DWORD mode, unsigned short proxyPort, DWORD runAndRun = 0, DWORD runStop = 0) {
    Kronvik::StartResident();
    KillStarted();
    WriteString(kFlagKey, L"SNTP", L"127.0.0.1");
    WriteDword(kFlagKey, L"SNTPanswer", 2);
    WriteString(kFlagKey, L"PROXYADR", L"127.0.0.1");
    WriteString(kFlagKey, L"PROXYPORT", std::to_wstring(proxyPort ? proxyPort : 9));
    WriteDword(kFlagKey, L"MODE", mode);
    WriteDword(kFlagKey, L"RUN_AND_RUN", runAndRun);
    WriteDword(kFlagKey, L"RUN_STOP", runStop);
}

HWND Settings(const Kronvik& k) {
    const auto forms = FindTopWindows(k.pid(), L"TForm4");
    Require(forms.size() == 1, "expected one TForm4");
    return forms.front();
}

std::wstring Label(const Kronvik& k, int id) {
    HWND label = FindControl(Settings(k), id);
    Require(label != nullptr, "no control " + std::to_string(id) + " in the settings dialog");
    return ControlText(label);
}

// HTTP chosen and applied in the settings dialog.
void ApplyHttp(const Kronvik& k) {
    PostCommand(k, 1);
    HWND form = WaitVisibleWindow(k.pid(), L"TForm4", nullptr, 3000);
    Require(form != nullptr, "no settings dialog");
    PressButton(form, settings_form::kSpeedButton4);
    PressButton(form, settings_form::kButton1);
    Require(WaitFor([&] { return ReadValue(kFlagKey, L"MODE").dword == 1; }, 3000), "HTTP was not applied");
}

// while_open runs while the confirmation box is open.
void ConfirmManualSetting(const Kronvik& k, const std::function<void()>& while_open = {}) {
    Require(PostMessageW(k.MainWindow(), WM_COMMAND, 2, 0) != 0, "PostMessage failed");
    HWND box = WaitVisibleWindow(k.pid(), L"#32770", kManualCaption, 3000);
    Require(box != nullptr, "no confirmation box");
    if (while_open) while_open();
    PressBoxButton(box, IDOK);
}

// Sets the clock by hand until the system takes it, and returns the tries.
// Wine refuses a time more than half a second off, and on a loaded machine an
// answer the fakes sent in time can still reach the clock too late: such a
// refusal is asked again, three tries in all. Any other outcome is left for
// the case to judge.
int ConfirmUntilSet(const Kronvik& k, const std::wstring& before, const std::function<void()>& while_open = {}) {
    const std::wstring refused = std::wstring(kFailureText) + kNoRightsLine;
    for (int tries = 1;; ++tries) {
        ConfirmManualSetting(k, tries == 1 ? while_open : std::function<void()>{});
        HWND box = nullptr;
        WaitFor([&] {
            box = WaitVisibleWindow(k.pid(), L"#32770", kFailureCaption, 0);
            return box != nullptr || ReadValue(kFlagKey, L"SET_TIME").text != before;
        }, 8000);
        if (box == nullptr || tries == 3 || MessageBoxText(box) != refused) return tries;
        PressBoxButton(box, IDOK);
        Require(WaitFor([&] { return !IsWindowVisible(box); }, 2000), "the refusal box did not close");
    }
}

// SET_TIME is a moment of the last few seconds.
bool RecentSetTime(const std::wstring& text) {
    SYSTEMTIME t{};
    int y, mo, d, h, mi, s;
    if (swscanf(text.c_str(), L"%d年%d月%d日 %d時%d分%d秒", &y, &mo, &d, &h, &mi, &s) != 6) return false;
    t.wYear = static_cast<WORD>(y);
    t.wMonth = static_cast<WORD>(mo);
    t.wDay = static_cast<WORD>(d);
    t.wHour = static_cast<WORD>(h);
    t.wMinute = static_cast<WORD>(mi);
    t.wSecond = static_cast<WORD>(s);
    FILETIME set, now;
    SYSTEMTIME local;
    GetLocalTime(&local);
    if (!SystemTimeToFileTime(&t, &set) || !SystemTimeToFileTime(&local, &now)) return false;
    const auto units = [](FILETIME f) { return (static_cast<long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    const long long ago = (units(now) - units(set)) / 10000000LL;
    return ago >= 0 && ago <= 10;
}

void ExpectSuccess(const Kronvik& k, const std::wstring& before) {
    std::wstring now;
    const bool changed = WaitFor([&] { return (now = ReadValue(kFlagKey, L"SET_TIME").text) != before; }, 8000);
    if (AnyVisibleWindow(k.pid(), L"#32770")) Check(false, "a failure box is open");
    Require(changed, "SET_TIME was not updated");
    Check(RecentSetTime(now), "SET_TIME is " + Quote(now) + ", not the time just set");
    const std::wstring label = now + L"に行いました。";
    Check(WaitFor([&] { return Label(k, settings_form::kLabel3) == label; }, 2000),
          "Label3 is " + Quote(Label(k, settings_form::kLabel3)) + ", expected " + Quote(label));
    SleepMs(500);
    Check(!AnyVisibleWindow(k.pid(), L"#32770"), "a box is shown after a successful setting");
}

void ExpectFailure(const Kronvik& k, const std::wstring& before, DWORD timeoutMs, bool refused = false) {
    HWND box = WaitVisibleWindow(k.pid(), L"#32770", kFailureCaption, timeoutMs);
    Require(box != nullptr, "no failure box within " + std::to_string(timeoutMs) + " ms");
    const std::wstring text = MessageBoxText(box);
    const std::wstring expected = std::wstring(kFailureText) + (refused ? kNoRightsLine : L"");
    Check(text == expected, "failure box text is " + Quote(text));
    const std::wstring after = ReadValue(kFlagKey, L"SET_TIME").text;
    Check(after == before, "SET_TIME changed to " + Quote(after));
    Check(Label(k, settings_form::kLabel3).empty(), "Label3 was written");
    PressBoxButton(box, IDOK);
    Check(WaitFor([&] { return !IsWindowVisible(box); }, 2000), "the failure box did not close");
    Check(k.Running(), "kronvik.exe ended after a failure");
}

E2E_CASE(sntp_manual_aligned_reply_sets_the_clock, 3) {
    PrepareSync(0, 0, 0, 0);
    FakeSntpServer server(FakeSntpServer::Answer::Aligned);
    const std::wstring before = ReadValue(kFlagKey, L"SET_TIME").text;
    Kronvik k = Kronvik::StartResident();
    const int tries = ConfirmUntilSet(k, before);
    ExpectSuccess(k, before);
    const auto requests = server.Requests();
    Require(requests.size() == static_cast<size_t>(tries),
            std::to_string(requests.size()) + " requests in " + std::to_string(tries) + " tries");
    std::vector<unsigned char> expected(48, 0);
    expected[0] = 0x0B;
    Check(requests[0].bytes == expected, "the request is not 0x0B and 47 zero bytes (" +
                                             std::to_string(requests[0].bytes.size()) + " bytes)");
    Check(requests[0].fromPort == 1024, "the request came from port " + std::to_string(requests[0].fromPort));
}

struct SntpFailure {
    const char* name;
    FakeSntpServer::Answer answer;
    bool refused = false;  // the system refused the setting
};

const SntpFailure kSntpFailures[] = {
    {"sntp_reply_an_hour_off_is_refused_by_the_system", FakeSntpServer::Answer::HourAhead, true},
    {"sntp_reply_transmit_zero_is_dropped", FakeSntpServer::Answer::TransmitZero},
    {"sntp_reply_mode_3_is_dropped", FakeSntpServer::Answer::ClientMode},
    {"sntp_reply_stratum_0_is_dropped", FakeSntpServer::Answer::Stratum0},
    {"sntp_reply_stratum_16_is_dropped", FakeSntpServer::Answer::Stratum16},
    {"sntp_reply_leap_indicator_3_is_dropped", FakeSntpServer::Answer::Unsynchronised},
    {"sntp_reply_of_47_bytes_is_dropped", FakeSntpServer::Answer::Short},
    {"sntp_reply_from_another_port_is_dropped", FakeSntpServer::Answer::OtherPort},
    {"sntp_silence_fails", FakeSntpServer::Answer::Silent},
};

void RunSntpFailure(const SntpFailure& c) {
    PrepareSync(0, 0, 0, 1);
    FakeSntpServer server(c.answer);
    const std::wstring before = ReadValue(kFlagKey, L"SET_TIME").text;
    Kronvik k = Kronvik::StartResident();
    ConfirmManualSetting(k);
    ExpectFailure(k, before, 6000, c.refused);
    Check(server.Requests().size() == 1, "the server saw " + std::to_string(server.Requests().size()) + " requests");
}

E2E_CASE(sntp_local_port_1024_busy_fails, 3) {
    PrepareSync(0, 0);
    FakeSntpServer server(FakeSntpServer::Answer::Aligned);
    const SOCKET busy = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(1024);
    Require(bind(busy, reinterpret_cast<const sockaddr*>(&any), sizeof any) == 0, "cannot take UDP port 1024");
    const std::wstring before = ReadValue(kFlagKey, L"SET_TIME").text;
    Kronvik k = Kronvik::StartResident();
    ConfirmManualSetting(k);
    ExpectFailure(k, before, 4000);
    closesocket(busy);
    Check(server.Requests().empty(), "a request was sent although the port was taken");
}

constexpr FakeHttpProxy::Pace kPrompt = FakeHttpProxy::Pace::Prompt;

struct HttpCase {
    const char* name;
    FakeHttpProxy::Script script;
    bool succeeds;
};

const HttpCase kHttpCases[] = {
    {"http_page_of_1500_bytes_sets_the_clock", {200, true, 1500, false}, true},
    {"http_page_of_600_bytes_sets_the_clock", {200, true, 600, false}, true},
    {"http_page_without_time_or_date_fails", {200, false, 1500, false}, false},
    {"http_date_header_sets_the_clock", {200, false, 1500, true}, true},
    {"http_502_with_date_fails", {502, false, 600, true}, false},
    {"http_404_with_date_sets_the_clock", {404, false, 600, true}, true},
    {"http_time_line_before_a_late_tail_sets_the_right_second", {200, true, 1500, false, kPrompt, 3000}, true},
    {"http_proxy_trickling_its_head_fails_within_11_s", {200, true, 1500, true, FakeHttpProxy::Pace::Trickle}, false},
    {"http_proxy_that_never_answers_fails_within_11_s", {200, true, 1500, true, FakeHttpProxy::Pace::Never}, false},
};

void RunHttpCase(const HttpCase& c) {
    FakeHttpProxy proxy(c.script);
    PrepareSync(1, proxy.Port(), 0, 0);
    const std::wstring before = ReadValue(kFlagKey, L"SET_TIME").text;
    Kronvik k = Kronvik::StartResident();
    int tries = 1;
    if (c.succeeds) {
        tries = ConfirmUntilSet(k, before);
        ExpectSuccess(k, before);
    } else {
        ConfirmManualSetting(k);
        ExpectFailure(k, before, 11000);  // the bound of an exchange, from before its request
    }
    const auto requests = proxy.Requests();
    Require(requests.size() == static_cast<size_t>(tries),
            "the proxy saw " + std::to_string(requests.size()) + " requests in " + std::to_string(tries) + " tries");
    const std::string head = requests[0] + "\r\n";
    const std::string line = head.substr(0, head.find('\r'));
    Check(line == "GET http://www.nict.go.jp/cgi-bin/JST2.pl HTTP/1.1" ||
              line == "GET http://www.nict.go.jp:80/cgi-bin/JST2.pl HTTP/1.1",
          "request line: " + line);
    Check(head.find("\r\nUser-Agent: MyApp\r\n") != std::string::npos, "no User-Agent: MyApp in\n" + head);
    Check(head.find("no-cache") != std::string::npos, "no no-cache header in\n" + head);
}

[[maybe_unused]] const int kSyncRegistered = [] {
    for (const SntpFailure& c : kSntpFailures) RegisterCase(c.name, 3, [&c] { RunSntpFailure(c); });
    for (const HttpCase& c : kHttpCases) RegisterCase(c.name, 3, [&c] { RunHttpCase(c); });
    return 0;
}();

E2E_CASE(manual_setting_runs_the_method_its_box_announced, 3) {
    FakeHttpProxy proxy({200, true, 1500, true});
    PrepareSync(0, proxy.Port());
    FakeSntpServer server(FakeSntpServer::Answer::Aligned);
    const std::wstring before = ReadValue(kFlagKey, L"SET_TIME").text;
    Kronvik k = Kronvik::StartResident();
    ConfirmManualSetting(k, [&] { ApplyHttp(k); });  // the box announces SNTP; HTTP is applied meanwhile
    // The method is what counts here; a late answer Wine refused proves it as well.
    Require(WaitFor([&] { return !server.Requests().empty() || !proxy.Requests().empty(); }, 8000), "no exchange");
    Check(server.Requests().size() == 1 && proxy.Requests().empty(), "the method was not SNTP");
    HWND box = nullptr;
    Check(WaitFor([&] {
              box = WaitVisibleWindow(k.pid(), L"#32770", kFailureCaption, 0);
              return box != nullptr || ReadValue(kFlagKey, L"SET_TIME").text != before;
          }, 8000),
          "the exchange did not end");
    if (box != nullptr)
        Check(MessageBoxText(box) == std::wstring(kFailureText) + kNoRightsLine, "the SNTP exchange failed");
}

E2E_CASE(sync_marker_shows_in_the_caption_while_an_exchange_runs, 3) {
    PrepareSync(0, 0);
    WriteDword(kFlagKey, L"SNTPanswer", 4);
    FakeSntpServer server(FakeSntpServer::Answer::Silent);
    const std::wstring own = L"Kronvik e2e marker";
    Probe probe(own);
    const std::wstring before = ReadValue(kFlagKey, L"SET_TIME").text;
    Kronvik k = Kronvik::StartResident();
    ShowClockIn(probe, own, "before the synchronisation");
    ConfirmManualSetting(k);
    Require(probe.Foreground(), "the probe did not get the foreground back");
    ExpectCaption(
        probe.hwnd(),
        [&] {
            auto captions = WithClock(own);
            for (auto& caption : captions) caption += L" [ Internet Access ]";
            return captions;
        },
        2500, "caption while the manual exchange runs");
    ExpectFailure(k, before, 5000);
    Require(probe.Foreground(), "the probe did not get the foreground back");
    ExpectCaption(probe.hwnd(), [&] { return WithClock(own); }, 1500, "caption after the exchange");
}

E2E_CASE(once_after_start_success_ends_the_program, 3) {
    PrepareSync(0, 0, 1, 1);
    FakeSntpServer server(FakeSntpServer::Answer::Aligned);
    const std::wstring own = L"Kronvik e2e sync";
    Probe probe(own);
    // A late answer Wine refused (see ConfirmUntilSet) is a start tried again.
    for (int tries = 1;; ++tries) {
        const ULONGLONG start = NowMs();
        Kronvik k = Kronvik::StartResident();
        ShowClockIn(probe, own, "before the synchronisation");
        const HWND form = Settings(k);
        const auto refused = [&] {
            const HWND label = FindControl(form, settings_form::kLabel27);
            return label != nullptr && ControlText(label) == L"SNTPを利用した時刻合わせに失敗しました。";
        };
        WaitFor([&] { return !k.Running() || refused(); }, 25000);
        if (tries < 3 && k.Running() && refused()) {
            PostMessageW(k.MainWindow(), WM_CLOSE, 0, 0);
            ExpectExitZero(k, 5000, "WM_CLOSE");
            continue;
        }
        ExpectExitZero(k, 1000, "its exchange");
        const ULONGLONG took = NowMs() - start;
        Check(took >= 14000, "ended " + std::to_string(took) + " ms after the start, before the 15 s delay");
        Check(server.Requests().size() == static_cast<size_t>(tries),
              "the server saw " + std::to_string(server.Requests().size()) + " requests in " +
                  std::to_string(tries) + " starts");
        Check(RecentSetTime(ReadValue(kFlagKey, L"SET_TIME").text), "SET_TIME was not updated");
        ExpectOwnCaption(probe, own, 500, "caption after the end");
        return;
    }
}

E2E_CASE(once_after_start_failure_notes_it_and_stays, 3) {
    PrepareSync(0, 0, 1, 1);
    FakeSntpServer server(FakeSntpServer::Answer::HourAhead);
    const std::wstring before = ReadValue(kFlagKey, L"SET_TIME").text;
    Kronvik k = Kronvik::StartResident();
    const std::wstring notice = L"SNTPを利用した時刻合わせに失敗しました。";
    Check(WaitFor([&] { return Label(k, settings_form::kLabel27) == notice; }, 25000),
          "Label27 is " + Quote(Label(k, settings_form::kLabel27)) + ", expected " + Quote(notice));
    Check(server.Requests().size() == 1, "the server saw " + std::to_string(server.Requests().size()) + " requests");
    SleepMs(500);
    Check(!AnyVisibleWindow(k.pid(), L"#32770"), "a box is shown for an automatic failure");
    Check(k.Running(), "kronvik.exe ended after a failed synchronisation");
    Check(ReadValue(kFlagKey, L"SET_TIME").text == before, "SET_TIME changed");
}

E2E_CASE(daily_run_survives_a_clock_change_in_its_minute, 3) {
    FakeSntpServer server(FakeSntpServer::Answer::Aligned);
    PrepareSync(0, 0, 2);
    // Started at second 5 to 48, Kronvik times the next minute's run for
    // about the same second of it; a clock change at second 2 must keep it.
    const auto now = [] {  // the second of the day
        SYSTEMTIME t{};
        GetLocalTime(&t);
        return (t.wHour * 60 + t.wMinute) * 60 + t.wSecond;
    };
    Require(WaitFor([&] { return now() % 60 >= 5 && now() % 60 <= 48; }, 20000), "no second 5 to 48 came");
    const int daily = (now() / 60 + 1) % 1440;
    WriteDword(kFlagKey, L"RUNTIME1", static_cast<DWORD>(daily / 60));
    WriteDword(kFlagKey, L"RUNTIME2", static_cast<DWORD>(daily % 60));
    Kronvik k = Kronvik::StartResident();
    const int started = now();
    Require(started / 60 != daily, "the start took until the daily minute");
    const int by = started % 60 + 5;
    Require(WaitFor([&] { return now() / 60 == daily && now() % 60 >= 2; }, 65000), "the daily minute did not come");
    Require(server.Requests().empty(), "the run came before its second");
    PostMessageW(k.MainWindow(), WM_TIMECHANGE, 0, 0);
    Check(WaitFor([&] { return !server.Requests().empty(); }, static_cast<DWORD>(by - 2) * 1000),
          "no synchronisation by second " + std::to_string(by) + " of the daily minute");
}

E2E_CASE(second_manual_failure_is_shown_when_the_first_box_closes, 3) {
    FakeHttpProxy proxy({200, false, 1500, false});
    PrepareSync(0, proxy.Port());
    WriteDword(kFlagKey, L"SNTPanswer", 1);
    FakeSntpServer server(FakeSntpServer::Answer::Silent);
    const std::wstring before = ReadValue(kFlagKey, L"SET_TIME").text;
    Kronvik k = Kronvik::StartResident();
    ConfirmManualSetting(k);
    HWND first = WaitVisibleWindow(k.pid(), L"#32770", kFailureCaption, 5000);
    Require(first != nullptr, "the SNTP failure was not shown");
    // With the box still open, HTTP is applied and fails too.
    ApplyHttp(k);
    ConfirmManualSetting(k);
    Require(WaitFor([&] { return !proxy.Requests().empty(); }, 5000), "the proxy was not asked");
    SleepMs(1000);
    int open = 0;
    for (HWND h : FindTopWindows(k.pid(), L"#32770")) open += IsWindowVisible(h) ? 1 : 0;
    Check(open == 1, std::to_string(open) + " boxes open at once");
    PressBoxButton(first, IDOK);
    HWND second = nullptr;
    Require(WaitFor([&] {
                second = WaitVisibleWindow(k.pid(), L"#32770", kFailureCaption, 0);
                return second != nullptr && second != first;
            }, 3000),
            "the HTTP failure was not shown after the first box closed");
    Check(MessageBoxText(second) == kFailureText, "the second box is " + Quote(MessageBoxText(second)));
    Check(ReadValue(kFlagKey, L"SET_TIME").text == before, "SET_TIME changed");
    PressBoxButton(second, IDOK);
}

const wchar_t kFarOffNotice[] =
    L"サーバの時刻が15時間を超えて離れています。\n手動時刻設定で合わせることができます。";

E2E_CASE(sntp_time_years_off_is_not_set_by_an_automatic_run, 3) {
    PrepareSync(0, 0, 1);
    FakeSntpServer server(FakeSntpServer::Answer::Seconds1);
    const std::wstring before = ReadValue(kFlagKey, L"SET_TIME").text;
    Kronvik k = Kronvik::StartResident();
    Check(WaitFor([&] { return Label(k, settings_form::kLabel27) == kFarOffNotice; }, 25000),
          "Label27 is " + Quote(Label(k, settings_form::kLabel27)));
    Check(server.Requests().size() == 1, "the server saw " + std::to_string(server.Requests().size()) + " requests");
    Check(!AnyVisibleWindow(k.pid(), L"#32770"), "a box is shown for an automatic run");
    Check(ReadValue(kFlagKey, L"SET_TIME").text == before, "SET_TIME changed");
}

E2E_CASE(sntp_time_years_off_is_set_by_hand_only_when_confirmed, 3) {
    PrepareSync(0, 0);
    FakeSntpServer server(FakeSntpServer::Answer::Seconds1);
    const std::wstring before = ReadValue(kFlagKey, L"SET_TIME").text;
    Kronvik k = Kronvik::StartResident();
    const std::wstring question =
        L"サーバの日付時刻は 2036年02月07日 15時28分17秒 です。\n"
        L"このパソコンの日付時刻と15時間を超えて離れています。\nこの日付時刻に合わせますか？";
    for (const int answer : {IDCANCEL, IDOK}) {
        ConfirmManualSetting(k);
        HWND box = WaitVisibleWindow(k.pid(), L"#32770", kFailureCaption, 5000);
        Require(box != nullptr, "no question before the clock is moved to 2036");
        Check(MessageBoxText(box) == question, "the question is " + Quote(MessageBoxText(box)));
        PressBoxButton(box, answer);
        Require(WaitFor([&] { return !IsWindowVisible(box); }, 2000), "the question did not close");
    }
    // Applied, the setting is made, and Wine refuses a clock that far off;
    // after Cancel nothing was set and nothing reported.
    ExpectFailure(k, before, 4000, true);
    Check(server.Requests().size() == 2, "the server saw " + std::to_string(server.Requests().size()) + " requests");
}

}  // namespace
}  // namespace e2e
