// Date key names, value names and texts as a registry edited by hand may hold
// them, loaded, listed in the menu and purged. Checked: the code page 932
// byte limits of the loaded fields, the menu's 14 days with ids in their own day's range, and that
// the purge removes only keys that read as dates before today.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "../fakes/fake_clock.h"
#include "../fakes/fake_registry.h"
#include "fuzz_fail.h"
#include "platform/cp932.h"
#include "platform/text.h"
#include "schedule/schedule_menu.h"
#include "schedule/schedule_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kronvik;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    FakeRegistry registry;
    fakes::FakeClock clock;
    clock.Set(2026, 12, 8, 9, 41);
    // Lines of "key|value|text"; a key without '|' is an empty date key.
    while (!input.empty()) {
        const std::string_view line = input.substr(0, input.find('\n'));
        input.remove_prefix(line.size() < input.size() ? line.size() + 1 : line.size());
        const std::string_view key = line.substr(0, line.find('|'));
        if (key.empty() || key.find('\\') != std::string_view::npos) continue;
        const std::string path = std::string(kScheduleKey) + "\\" + std::string(key);
        if (key.size() == line.size()) {
            registry.CreateKey(path);
            continue;
        }
        const std::string_view rest = line.substr(key.size() + 1);
        const std::string_view name = rest.substr(0, rest.find('|'));
        registry.SetText(path, std::string(name), std::string(rest.substr(std::min(rest.size(), name.size() + 1))));
    }

    ScheduleStore store{registry, clock};
    store.LoadSchedule();
    for (const DaySlot& slot : store.Slots()) {
        if (Cp932Bytes(Utf8ToUtf16(slot.key)) > kDayKeyMaxBytes) Fail("key longer than its field");
        for (const ScheduleEntry& entry : slot.entries) {
            if (Cp932Bytes(Utf8ToUtf16(entry.name)) > kEntryNameMaxBytes) Fail("name longer than its field");
            if (Cp932Bytes(Utf8ToUtf16(entry.text)) > kEntryTextMaxBytes) Fail("text longer than its field");
        }
    }
    const std::vector<MenuItem> menu = BuildScheduleMenu(store.Dates(), store.Slots());
    if (menu.size() != 14) Fail("the menu does not list 14 days");
    for (size_t p = 1; p <= menu.size(); ++p) {
        for (const MenuItem& item : menu[p - 1].children) {
            if (item.kind == MenuItem::Kind::String && item.id / 100 != p) Fail("an id left its day");
        }
    }
    const std::vector<std::string> before = registry.SubkeyNames(kScheduleKey);
    store.PurgePastDays();
    // A zero-padded date name goes exactly when its day is over.
    for (const std::string& name : before) {
        bool padded_date = name.size() == 10 && name.substr(0, 4) != "0000";
        for (size_t i = 0; padded_date && i < name.size(); ++i)
            padded_date = (i == 4 || i == 7) ? name[i] == ' ' : (name[i] >= '0' && name[i] <= '9');
        const bool kept = registry.KeyExists(std::string(kScheduleKey) + "\\" + name);
        if (padded_date && kept != (name >= "2026 12 08")) Fail("the purge took the wrong days");
    }
    return 0;
}
