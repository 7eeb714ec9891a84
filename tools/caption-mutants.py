#!/usr/bin/env python3
"""Puts deliberate faults into the caption writer, one at a time, and runs its
unit tests and model against each: every fault must be caught.

    python3 tools/caption-mutants.py [NUMBER ...]

Needs a configured build/native (make unit). Each fault is undone after its
run, also when the run is interrupted. Prints one line per fault: the tests
that failed and the model's first failed assertion, or NOT CAUGHT.
"""
import re
import subprocess
import sys

WRITER, RECORD, CLOCK = 'display/caption_writer.cpp', 'display/window_caption.cpp', 'display/clock_text.cpp'
TOOK = '    missed = after == shown_before || !ShowsText(after, text);'
MUTANTS = [
    ('a handled write counts as taken (the answer trusted)', RECORD, [(TOOK, '    missed = false;')]),
    ('what the window showed before counts as taken', RECORD,
     [(TOOK, '    missed = !ShowsText(after, text) && after != shown_before;')]),
    ('additions learned from what a window shows later', RECORD,
     [('    if (shown == shows) return true;',
       '    if (shown == shows) return true;\n'
       '    if (ours && shown.starts_with(sent)) { suffix = shown.substr(sent.size()); shows = shown; return true; }')]),
    ('our text left in a title the window sets', RECORD, [('        title.erase(at, tail.size());', '        (void)at;')]),
    ('a frame given its title with its document', RECORD,
     [('    if (!suffix.empty() && base.ends_with(suffix)) base.remove_suffix(suffix.size());', '')]),
    ('a title seen while a write waits ignored', RECORD,
     [('    if (!newer) return;', '    return;')]),
    ('a caption given back but not taken is no longer owed', WRITER,
     [('        if (debt.unknown) return Debt::Silent;',
       '        if (debt.unknown) return Debt::Silent;\n        if (debt.missed) return Debt::Settled;')]),
    ('no five-write bound on captions given back', WRITER, [(' || debt.misses >= kMissLimit', '')]),
    ('no five-tick pause in front', WRITER, [('    if (miss_count_ < kMissLimit) {', '    if (miss_count_ <= kMissCap) {')]),
    ('turning the display off keeps every clock', WRITER,
     [('    displaying_ = false;\n    LetGo();', '    displaying_ = false;\n    return;')]),
    ('no bound on waiting for the windows behind', WRITER,
     [('constexpr uint64_t kOthersMs = 80;', 'constexpr uint64_t kOthersMs = 2000;')]),
    ('each window pinged, not each thread', WRITER,
     [('    if (asked != pinged_.end()) return asked->second;', '    if (false && asked != pinged_.end()) return asked->second;')]),
    ('every round starts at the first window owed', WRITER,
     [('owed_.push_back(std::move(debt));',
       'owed_.insert(owed_.begin() + static_cast<std::ptrdiff_t>(owed_.size() - left + 1), std::move(debt));')]),
    ('the end waits 100 ms on each window in turn, from the first', WRITER,
     [('    SettleDebts(deadline, kExitAtOnce);\n', '    (void)kExitAtOnce;\n'),
      ('constexpr uint32_t kExitTurnMs = 25;', 'constexpr uint32_t kExitTurnMs = 100;')]),
    ("a new window under the handle in front keeps the old one's record", WRITER,
     [('    if (desktop_.Thread(front.window) != front.thread) Adopt(front.window);', '')]),
    ('a frame that switched back is written what it shows', RECORD,
     [('    if (shows != prefix + text + suffix) return false;', '    return false;')]),
    ('a write sent to a thread that does not answer', WRITER,
     [('    if (!Ping(front, desktop_.Milliseconds() + kPingMs, kTick)) return false;',
       '    Ping(front, desktop_.Milliseconds() + kPingMs, kTick);')]),
    ('a clock left by an earlier run kept as the title', CLOCK,
     [('            if (text.ends_with(left)) return left.size();', '            if (text.ends_with(left)) return 0;')]),
    ('the window in front told shown after a refusal', WRITER,
     [('        if (!Send(front, tick.CaptionText, kWriteMs)) return false;',
       '        if (!Send(front, tick.CaptionText, kWriteMs)) return true;')]),
]
BUILD = 'cmake --build build/native -j2 --target kronvik_unit'
RUN = "KV_MODEL_RUNS=3000 build/native/kronvik_unit --gtest_filter='CaptionWriter*:CaptionModel*:MainWindow*'"


def run(number, name, path, edits):
    source = open(path).read()
    mutant = source
    for old, new in edits:
        assert old in mutant, f'{name}: the code changed, the fault no longer applies'
        mutant = mutant.replace(old, new, 1)
    open(path, 'w').write(mutant)
    try:
        built = subprocess.run(BUILD, shell=True, capture_output=True, text=True)
        if built.returncode:
            return f'M{number} {name}: DOES NOT BUILD\n{built.stdout[-1500:]}'
        for _ in range(3):  # the model's schedules are random
            out = subprocess.run(RUN, shell=True, capture_output=True, text=True).stdout
            failed = re.findall(r'^\[  FAILED  \] (\S+) \(', out, re.M)
            if failed:
                asserts = re.findall(r'caption_model_test\.cpp:\d+:\nRC_ASSERT\((.*)\)', out)
                model = f'; model: {asserts[0]}' if asserts else ''
                return f'M{number} {name}: caught by {", ".join(failed)}{model}'
        return f'M{number} {name}: NOT CAUGHT'
    finally:
        open(path, 'w').write(source)


def main():
    chosen = sys.argv[1:]
    missed = 0
    try:
        for number, (name, path, edits) in enumerate(MUTANTS):
            if not chosen or str(number) in chosen:
                line = run(number, name, path, edits)
                missed += 'NOT CAUGHT' in line or 'DOES NOT BUILD' in line
                print(line, flush=True)
    finally:
        subprocess.run(BUILD, shell=True, capture_output=True)
    return 1 if missed else 0


if __name__ == '__main__':
    sys.exit(main())
