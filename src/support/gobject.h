#pragma once
// References to the container library's objects (GObjects: inputs, outputs,
// folders of a zip or compound file), held by unique_ptr and released once.
#include <glib-object.h>

#include <memory>

namespace support {

struct GObjectUnref {
  void operator()(void* object) const {
    if (object) g_object_unref(object);
  }
};

template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

}  // namespace support
