#pragma once

namespace tarvex {

// Builds one visitor for std::visit out of several lambdas, one per alternative.
template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

}  // namespace tarvex
