#pragma once
// Large values (a text of millions of rows, the lists of a Solve, the plot's
// points) are given back on a thread of their own: freeing hundreds of
// megabytes takes longer than the window may go without answering.

#include <memory>
#include <utility>

namespace quill {

namespace aside {

struct Held {
    virtual ~Held() = default;
};

template <class T>
struct HeldValue final : Held {
    explicit HeldValue(T v) : value(std::move(v)) {}
    T value;
};

// Destroys the value on a thread of the program's pool.
void destroy(std::unique_ptr<Held> held);

}  // namespace aside

// Takes the value and destroys it away from the calling thread; nothing
// else may hold a part of it that is changed meanwhile.
template <class T>
void disposeAside(T value) {
    aside::destroy(std::make_unique<aside::HeldValue<T>>(std::move(value)));
}

}  // namespace quill
