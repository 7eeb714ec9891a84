// Runs the registered cases one after another and writes one result line per
// case into a results file (the Wine desktop swallows the exit code, so the
// file is the only report). Layout of the file, UTF-8:
//   PLAN <n>                 number of cases that will run
//   RUN <name>               a case starts
//       <detail>             failure or note lines of the running case
//   PASS <name> (<ms> ms)    or FAIL <name> (<ms> ms)
//   END <passed> <failed>    the driver finished normally
#include "harness.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <stdexcept>

namespace e2e {

namespace {

struct CaseAbort {};

struct CaseEntry {
    std::string name;
    int batch;
    CaseFn fn;
};

std::vector<CaseEntry>& Cases() {
    static std::vector<CaseEntry> cases;
    return cases;
}

std::mutex g_reportLock;
HANDLE g_results = INVALID_HANDLE_VALUE;
bool g_caseFailed = false;

std::atomic<ULONGLONG> g_caseStart{0};
std::atomic<bool> g_caseRunning{false};
std::string g_caseName;  // guarded by g_reportLock
constexpr DWORD kCaseLimitMs = 90000;

void WriteLine(const std::string& line) {
    std::string text = line + "\n";
    DWORD written = 0;
    WriteFile(g_results, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    FlushFileBuffers(g_results);
}

void AddMessage(const std::string& prefix, const std::string& what) {
    std::lock_guard<std::mutex> lock(g_reportLock);
    WriteLine("    " + prefix + what);
}

// Ends the driver when a case overruns its limit, so that a hang in the
// program under test cannot stall the whole suite.
DWORD WINAPI Watchdog(void*) {
    for (;;) {
        Sleep(500);
        if (!g_caseRunning.load()) continue;
        if (NowMs() - g_caseStart.load() < kCaseLimitMs) continue;
        {
            std::lock_guard<std::mutex> lock(g_reportLock);
            WriteLine("    FAILED: the case ran longer than " + std::to_string(kCaseLimitMs / 1000) +
                      " s; driver stopped");
            WriteLine("FAIL " + g_caseName + " (" + std::to_string(kCaseLimitMs) + " ms)");
        }
        KillStarted();
        TerminateProcess(GetCurrentProcess(), 3);
    }
}

// A crash of the driver ends it with a result line instead of a debugger
// dialog that would sit in the desktop until the suite times out.
LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX",
                  static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    {
        std::lock_guard<std::mutex> lock(g_reportLock);
        WriteLine(std::string("    FAILED: the driver crashed with exception ") + code);
        WriteLine("FAIL " + g_caseName + " (crash)");
    }
    KillStarted();
    TerminateProcess(GetCurrentProcess(), 4);
    return EXCEPTION_EXECUTE_HANDLER;
}

bool Selected(const CaseEntry& c, const std::vector<std::string>& filters) {
    if (filters.empty()) return c.batch < kOnDemandBatch;
    for (const std::string& f : filters) {
        if (f.rfind("batch=", 0) == 0) {
            if (std::to_string(c.batch) == f.substr(6)) return true;
        } else if (c.name.rfind(f, 0) == 0) {
            return true;
        }
    }
    return false;
}

// Leaves no kronvik.exe and no settings behind, so every case starts from a
// first start unless it plants something itself.
void ResetState() {
    KillStarted();
    RegDeleteTreeW(HKEY_CURRENT_USER, kVelkKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kVelkKey);
}

}  // namespace

void Check(bool ok, const std::string& what) {
    if (ok) return;
    g_caseFailed = true;
    AddMessage("FAILED: ", what);
}

void Require(bool ok, const std::string& what) {
    if (ok) return;
    Abort(what);
}

void Abort(const std::string& what) {
    g_caseFailed = true;
    AddMessage("FAILED: ", what);
    throw CaseAbort{};
}

void Stop() {
    g_caseFailed = true;
    throw CaseAbort{};
}

void Note(const std::string& what) { AddMessage("note: ", what); }

int RegisterCase(const std::string& name, int batch, CaseFn fn) {
    Cases().push_back({name, batch, std::move(fn)});
    return static_cast<int>(Cases().size());
}

}  // namespace e2e

namespace {

std::string Narrow(const wchar_t* w) { return e2e::Utf8(w ? std::wstring(w) : std::wstring()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // Window places are read in the screen's pixels, whatever its DPI.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    using namespace e2e;
    if (argc < 3) {
        std::fputs("usage: kronvik_e2e <kronvik.exe> <results file> [case-prefix|batch=N ...]\n", stderr);
        return 2;
    }
    g_kronvikExe = argv[1];
    // Inherited by kronvik.exe too: a crash ends the process instead of
    // opening the debugger's dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(OnCrash);
    g_results = CreateFileW(argv[2], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (g_results == INVALID_HANDLE_VALUE) return 2;
    std::vector<std::string> filters;
    for (int i = 3; i < argc; ++i) filters.push_back(Narrow(argv[i]));

    std::vector<const CaseEntry*> plan;
    for (const CaseEntry& c : Cases())
        if (Selected(c, filters)) plan.push_back(&c);
    std::stable_sort(plan.begin(), plan.end(),
                     [](const CaseEntry* a, const CaseEntry* b) { return a->batch < b->batch; });
    WriteLine("PLAN " + std::to_string(plan.size()));
    if (GetFileAttributesW(g_kronvikExe.c_str()) == INVALID_FILE_ATTRIBUTES)
        WriteLine("    note: " + Narrow(argv[1]) + " does not exist");

    HANDLE dog = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    if (dog) CloseHandle(dog);

    int passed = 0, failed = 0;
    for (const CaseEntry* c : plan) {
        ResetState();
        {
            std::lock_guard<std::mutex> lock(g_reportLock);
            g_caseName = c->name;
            WriteLine("RUN " + c->name);
        }
        g_caseFailed = false;
        const ULONGLONG start = NowMs();
        g_caseStart = start;
        g_caseRunning = true;
        try {
            Require(!KeyExists(kVelkKey), "could not clear HKCU\\Software\\Velk");
            // An instance this driver did not start would answer in place of ours.
            if (InstanceMutexExists() && !WaitFor([] { return !InstanceMutexExists(); }, 3000))
                Abort("another kronvik.exe, not started by this driver, holds the instance mutex");
            c->fn();
        } catch (const CaseAbort&) {
        } catch (const std::exception& e) {
            Check(false, std::string("exception: ") + e.what());
        }
        KillStarted();
        g_caseRunning = false;
        const std::string took = " (" + std::to_string(NowMs() - start) + " ms)";
        std::lock_guard<std::mutex> lock(g_reportLock);
        if (g_caseFailed) {
            ++failed;
            WriteLine("FAIL " + c->name + took);
        } else {
            ++passed;
            WriteLine("PASS " + c->name + took);
        }
    }
    ResetState();
    WriteLine("END " + std::to_string(passed) + " " + std::to_string(failed));
    CloseHandle(g_results);
    return failed == 0 ? 0 : 1;
}
