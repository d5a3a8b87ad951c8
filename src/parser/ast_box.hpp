// The owning pointer of the syntax tree: one exclusive owner, deep copy, and release that the
// tree decides per pointee type (an expression chain is released without recursion).
#pragma once

#include <utility>

namespace qarvex {

struct Expression;
struct PatternElement;
struct RegularQuery;

// Defined with the tree (ast.cpp): how each boxed type is copied and released. Expressions are
// copied and released with an explicit work list, so a chain of any length is safe.
Expression* clone_node(const Expression& node);
void release_node(Expression* node) noexcept;
PatternElement* clone_node(const PatternElement& node);
void release_node(PatternElement* node) noexcept;
RegularQuery* clone_node(const RegularQuery& node);
void release_node(RegularQuery* node) noexcept;

template <typename T>
class Box {
 public:
  Box() = default;
  explicit Box(T value) : ptr_(new T(std::move(value))) {}
  Box(const Box& other) : ptr_(other.ptr_ ? clone_node(*other.ptr_) : nullptr) {}
  Box(Box&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  Box& operator=(Box other) noexcept {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~Box() {
    if (ptr_) release_node(ptr_);
  }

  // Takes ownership of a node allocated with new.
  static Box adopt(T* node) noexcept {
    Box box;
    box.ptr_ = node;
    return box;
  }
  // Gives up ownership without releasing anything.
  T* release() noexcept { return std::exchange(ptr_, nullptr); }

  T& operator*() const { return *ptr_; }
  T* operator->() const { return ptr_; }
  T* get() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }

 private:
  T* ptr_ = nullptr;
};

}  // namespace qarvex
