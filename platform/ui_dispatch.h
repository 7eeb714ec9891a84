#pragma once
// UI-thread dispatch port: workers hand label texts, timer re-arming and the quit
// request to the UI thread through Post; the task runs there, later, in order.
#include <functional>

namespace kronvik {

class UiDispatch {
public:
    virtual ~UiDispatch() = default;
    virtual void Post(std::function<void()> task) = 0;
};

}  // namespace kronvik
