#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/desktop.h"

namespace kronvik {

// The foreground window and its caption, read every display tick. The
// caption is kept between ticks and read again only when the system reports
// that the window's name changed, so an idle tick asks the system only for
// the foreground. Without those reports every read asks.
class Win32Desktop : public Desktop {
public:
    Win32Desktop() = default;
    Win32Desktop(const Win32Desktop&) = delete;
    Win32Desktop& operator=(const Win32Desktop&) = delete;
    ~Win32Desktop() override;

    WindowHandle Foreground() override;
    const std::u16string& ReadCaption(WindowHandle window) override;
    // Writes only when the window still shows what the last read returned,
    // so a change whose report was lost is seen before anything is written.
    CaptionWrite WriteCaption(WindowHandle window, const std::u16string& caption) override;
    void Flash(WindowHandle window, bool invert) override;
    void Beep() override;

private:
    static void CALLBACK Changed(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child,
                                 DWORD thread, DWORD time);
    bool Watch(HWND window);
    std::u16string ReadNow(HWND window);

    HWINEVENTHOOK hook_ = nullptr;
    DWORD watched_process_ = 0;
    HWND read_window_ = nullptr;
    std::u16string read_caption_;
    bool caption_known_ = false;
    std::vector<wchar_t> buffer_ = std::vector<wchar_t>(1024);
};

}  // namespace kronvik
