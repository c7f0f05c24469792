#pragma once

#include <functional>
#include <utility>

// A value that tells a listener whenever it is assigned, so a control can
// drive whatever the value stands for.
template <typename T>
class UIValue {
public:
    using Listener = std::function<void(T)>;

    UIValue() = default;
    explicit UIValue(T value, Listener listener = {}) : _value(value), _listener(std::move(listener)) {}

    operator T() const { return _value; }

    UIValue& operator=(T value) {
        setAndNotify(value);
        return *this;
    }

    // Stores the value and calls the listener, even when the value did not change.
    void setAndNotify(T value) {
        _value = value;
        if (_listener) _listener(_value);
    }

    void onChange(Listener listener) { _listener = std::move(listener); }

private:
    T _value{};
    Listener _listener;
};
