/// Ownership of one reference to a COM interface (a storage, a stream): the
/// reference is released when its owner goes.
#pragma once

#include <memory>

struct ComRelease {
  template <class Interface>
  void operator()(Interface* p) const {
    p->Release();
  }
};

template <class Interface>
using ComRef = std::unique_ptr<Interface, ComRelease>;
