#pragma once
// Sets a flag for the life of a scope and restores its previous value on every exit.
#include <utility>

namespace platform {

class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), previous_(std::exchange(flag, true)) {}
    ~FlagScope() { flag_ = previous_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool previous_;
};

} // namespace platform
