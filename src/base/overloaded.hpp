// One visitor made of several lambdas, for std::visit over a variant.
#pragma once

namespace qarvex {

template <typename... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

}  // namespace qarvex
