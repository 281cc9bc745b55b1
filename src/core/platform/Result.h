// Result<T, E>: the value of an operation that can fail, or the reason it failed. The core's one
// way of reporting failure; only the front ends turn a reason into a message box or a stderr line.
#pragma once

#include <utility>
#include <variant>

namespace tavrel {

// Wraps a reason so that a Result can be built from it unambiguously (`return Failure(error);`).
template <class E>
struct Failure {
    // A constructor rather than an aggregate: clang 14 deduces no aggregate's arguments from
    // parentheses.
    explicit Failure(E reason) : error(std::move(reason)) {}
    E error;
};
template <class E>
Failure(E) -> Failure<E>;

// The value of an operation that gives nothing back but can fail: Result<Done, E>.
struct Done {};

template <class T, class E>
class [[nodiscard]] Result {
  public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    template <class F>
    Result(Failure<F> failure) : m_state(std::in_place_index<1>, std::move(failure.error)) {}

    bool Ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return Ok(); }

    T& Value() & { return std::get<0>(m_state); }
    const T& Value() const& { return std::get<0>(m_state); }
    T&& Value() && { return std::get<0>(std::move(m_state)); }
    const E& Error() const { return std::get<1>(m_state); }

    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }
    T& operator*() & { return Value(); }
    const T& operator*() const& { return Value(); }

  private:
    std::variant<T, E> m_state;
};

}  // namespace tavrel
