#pragma once
// Balloon port: a notice shown by the program's tray icon, for what the user
// must learn even when no caption carries it.
#include <string>

namespace kronvik {

class Balloon {
public:
    virtual ~Balloon() = default;
    // A title and lines joined by '\n'. False when the shell did not take it
    // (there is no icon to show it by).
    virtual bool ShowBalloon(const std::string& title, const std::string& text) = 0;
};

}  // namespace kronvik
