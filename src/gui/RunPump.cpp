#include "gui/RunPump.h"

#include <utility>

namespace platform {

// Marks the pump called for the scope, whatever the call throws, and notes when it returned.
class RunPump::Calling {
public:
    explicit Calling(RunPump& pump) : pump_(pump) { pump_.calling_ = true; }
    ~Calling()
    {
        pump_.calling_ = false;
        pump_.last_ = std::chrono::steady_clock::now();
    }
    Calling(const Calling&) = delete;
    Calling& operator=(const Calling&) = delete;

private:
    RunPump& pump_;
};

RunPump::RunPump(WaitCall wait, std::function<void()> paint)
    : wait_(std::move(wait)), paint_(std::move(paint)), thread_(std::this_thread::get_id()),
      last_(std::chrono::steady_clock::now())
{
}

RunPump* RunPump::InForce(RunPump* pump)
{
    // The thread first: another may not read the pump's state.
    return pump && pump->thread_ == std::this_thread::get_id() && !pump->calling_ ? pump : nullptr;
}

bool RunPump::Waiting(std::size_t ended, std::size_t waited)
{
    const Calling calling(*this);
    return !wait_ || wait_(ended, waited);
}

void RunPump::Painting()
{
    const Calling calling(*this);
    if (paint_)
        paint_();
}

} // namespace platform
