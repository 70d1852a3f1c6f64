// Errors as values: a Result holds either the value or the failure, with its code and the
// message the user is to see.
#pragma once

#include "core/failure.h"

#include <optional>
#include <utility>
#include <variant>

namespace lexmora {

template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : m_data(std::move(value)) {}
    Result(Message failure) : m_data(Failure(std::move(failure))) {}
    Result(Failure failure) : m_data(std::move(failure)) {}

    bool ok() const { return m_data.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(m_data); }
    const T& value() const& { return std::get<0>(m_data); }
    T&& value() && { return std::get<0>(std::move(m_data)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Message& error() const { return failure().message; }
    const Failure& failure() const { return std::get<1>(m_data); }
    FailureCode code() const { return ok() ? FailureCode::Unspecified : failure().code; }

private:
    std::variant<T, Failure> m_data;
};

// A Result with no value: success, or the message of the failure.
class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Message failure) : m_failure(Failure(std::move(failure))) {}
    Status(Failure failure) : m_failure(std::move(failure)) {}
    static Status success() { return {}; }

    bool ok() const { return !m_failure.has_value(); }
    explicit operator bool() const { return ok(); }
    const Message& error() const { return m_failure->message; }
    const Failure& failure() const { return *m_failure; }
    FailureCode code() const { return ok() ? FailureCode::Unspecified : m_failure->code; }

private:
    std::optional<Failure> m_failure;
};

} // namespace lexmora
