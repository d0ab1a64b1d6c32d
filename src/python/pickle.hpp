#pragma once

// Pickling of wrapper classes. Their __module__ is "builtins", so pickle cannot find a
// class by name; instead __reduce__ names one reconstructor function of the extension,
// `_restore(class_name, state)`, which finds the class's restorer by name and rebuilds
// the object from its state (bytes).

#include <string_view>

#include "python/ref.hpp"

namespace kinetra::python {

// Rebuilds an object of one class from its state; raises ValueError when the state is
// malformed.
using RestoreFn = Ref (*)(std::string_view state);

// Makes `_restore(class_name, state)` use `restore`; a name registered twice is refused
// (std::logic_error).
void register_restorer(const char* class_name, RestoreFn restore);

// The reconstructor, created on first use with `module_name` as its __module__; the
// module must expose this object as its attribute `_restore` for pickle to find it.
Ref restore_function(const char* module_name);

// What __reduce__ returns: (the reconstructor, (class_name, state as bytes)).
Ref reduce_value(const char* class_name, std::string_view state);

}  // namespace kinetra::python
