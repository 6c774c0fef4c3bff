// How an exception that leaves an event handler reaches the user: the standard error box with the
// exception's text, after which the program goes on.
#pragma once

#include <exception>
#include <type_traits>
#include <utility>

// Shows the standard error box (caption: the application title) for an exception that ended an
// event handler.
void HandleException(const std::exception& e);
void HandleUnknownException();

// Wraps a handler so that an exception leaving it is shown instead of unwinding into the toolkit.
// Arguments a signal carries that the handler does not take (a button's checked state) are dropped.
template <typename F> auto Guarded(F handler) {
    return [handler = std::move(handler)](auto&&... args) {
        try {
            if constexpr (std::is_invocable_v<const F&, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        } catch (const std::exception& e) {
            HandleException(e);
        } catch (...) {
            HandleUnknownException();
        }
    };
}
