#pragma once
// Message box port. Styles and answers use the platform's numbers
// (MB_OKCANCEL | MB_ICONINFORMATION = 0x41, IDOK = 1).
#include <cstdint>
#include <string>

namespace kronvik {

constexpr uint32_t kBoxOk = 0x00;
constexpr uint32_t kBoxOkCancel = 0x01;
constexpr uint32_t kBoxIconError = 0x10;
constexpr uint32_t kBoxIconInformation = 0x40;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shown without an owner window; returns the answer.
    virtual int Show(const std::string& text, const std::string& caption, uint32_t style) = 0;
};

}  // namespace kronvik
