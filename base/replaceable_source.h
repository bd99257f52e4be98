#pragma once
// A process-wide source of a value that a scope may replace: tests fix the clock, programs
// hand the data layer the user's regional formats. Each call asks the current source afresh.
#include <functional>
#include <mutex>
#include <utility>

namespace kalvora {

template <typename T>
class ReplaceableSource {
public:
    using Function = std::function<T()>;

    explicit ReplaceableSource(Function initial) : current_(std::move(initial)) {}

    // Called outside the lock, so a source may itself take time or ask another one.
    T operator()() const
    {
        Function current;
        {
            std::lock_guard lock(mutex_);
            current = current_;
        }
        return current();
    }

    // Installs next and gives back the source it replaced, for the scope to put back.
    Function exchange(Function next)
    {
        std::lock_guard lock(mutex_);
        return std::exchange(current_, std::move(next));
    }

private:
    mutable std::mutex mutex_;
    Function current_;
};

}  // namespace kalvora
