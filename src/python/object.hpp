#pragma once

#include <new>
#include <utility>

#include "python/borrow.hpp"

namespace kinetra::python {

// The instance layout of every wrapper class: header, borrow flag, core value.
template <class T>
struct Object {
  PyObject_HEAD BorrowFlag borrow;
  T value;
};

// The Python class of core type T (set when the class is created) and its name.
template <class T>
inline PyTypeObject* type_object = nullptr;
template <class T>
inline const char* class_name = "?";

template <class T>
Object<T>* as_object(PyObject* object) {
  return reinterpret_cast<Object<T>*>(object);
}

// Instances of exactly T's class (no subclasses exist).
template <class T>
bool is_instance(PyObject* object) {
  return type_object<T> != nullptr && Py_TYPE(object) == type_object<T>;
}

// Freed instances of a class kept for reuse, as CPython keeps its floats and tuples: a
// result made and dropped at every call (rnea's torques, a placement read in a loop)
// then skips the allocator. Only the interpreter lock guards the list, so a build without
// it keeps none.
template <class T>
struct FreeList {
#ifdef Py_GIL_DISABLED
  static constexpr int kCapacity = 0;
#else
  static constexpr int kCapacity = 16;
#endif
  int count = 0;
  PyObject* items[kCapacity > 0 ? kCapacity : 1];
};
template <class T>
inline FreeList<T> free_list;

// A new wrapper object of `type` holding `value`.
template <class T, class V>
Ref wrap_as(PyTypeObject* type, V&& value) {
  if (type == nullptr) {
    raise(PyExc_SystemError, std::string("kinetra class not initialised: ") + class_name<T>);
  }
  // The classes hold no Python references (the collector does not track them) and every
  // field is constructed below, so the memory needs none of tp_alloc's zeroing.
  // PyObject_Init turns a failed allocation into MemoryError.
  PyObject* fresh = nullptr;
  FreeList<T>& kept = free_list<T>;
  if (PyType_IS_GC(type)) {
    fresh = type->tp_alloc(type, 0);
  } else if (kept.count > 0 && type == type_object<T>) {
    fresh = PyObject_Init(kept.items[--kept.count], type);
  } else {
    void* memory = PyObject_Malloc(static_cast<std::size_t>(type->tp_basicsize));
    fresh = PyObject_Init(static_cast<PyObject*>(memory), type);
  }
  Ref object = checked(fresh);
  auto* instance = as_object<T>(object.get());
  new (&instance->borrow) BorrowFlag();
  try {
    new (&instance->value) T(std::forward<V>(value));
  } catch (...) {
    // tp_dealloc would destroy a value that was never built: free the memory directly.
    Py_TYPE(object.get())->tp_free(object.release());
    Py_DECREF(type);
    throw;
  }
  return object;
}

template <class T>
Ref wrap(T value) {
  return wrap_as<T>(type_object<T>, std::move(value));
}

template <class T>
void dealloc_object(PyObject* object) {
  PyTypeObject* type = Py_TYPE(object);
  as_object<T>(object)->value.~T();
  FreeList<T>& kept = free_list<T>;
  if (kept.count < FreeList<T>::kCapacity && type == type_object<T> && !PyType_IS_GC(type)) {
    kept.items[kept.count++] = object;
  } else {
    type->tp_free(object);
  }
  Py_DECREF(type);
}

}  // namespace kinetra::python
