#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/desktop.h"

namespace kronvik {

// Captions are read from the system every time (InternalGetWindowText sends
// the window nothing), and written with sends that never let another
// message run inside them.
class Win32Desktop : public Desktop {
public:
    WindowHandle Foreground() override;
    uint32_t Thread(WindowHandle window) override;
    const std::u16string& ReadCaption(WindowHandle window) override;
    CaptionWrite WriteCaption(WindowHandle window, const std::u16string& shown, const std::u16string& text,
                              uint32_t wait_ms) override;
    bool Answers(WindowHandle window, uint32_t wait_ms) override;
    bool AwaitAnswer(WindowHandle window, uint32_t wait_ms) override;
    uint64_t Milliseconds() override;
    void Flash(WindowHandle window, bool invert) override;
    void Beep() override;

private:
    void ReadInto(HWND window, std::u16string& text);

    std::u16string read_;
    std::u16string check_;
    std::vector<wchar_t> buffer_ = std::vector<wchar_t>(1024);
};

}  // namespace kronvik
