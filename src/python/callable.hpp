#pragma once

// Trampolines: C entry points generated from captureless lambdas. Each one binds
// the arguments, claims the receiver, converts the other arguments in parameter
// order, calls the lambda once and converts its result; every C++ exception is
// turned into a Python exception before returning to the interpreter.

#include <cstddef>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "python/args.hpp"
#include "python/convert.hpp"

namespace kinetra::python {

template <class F>
struct Traits : Traits<decltype(&F::operator())> {};
template <class C, class R, class... A>
struct Traits<R (C::*)(A...) const> {
  using Result = R;
  using Params = std::tuple<A...>;
};
template <class R, class... A>
struct Traits<R (*)(A...)> {
  using Result = R;
  using Params = std::tuple<A...>;
};

template <class F>
using Params = typename Traits<F>::Params;
template <class F>
constexpr std::size_t arity = std::tuple_size_v<Params<F>>;
template <class F, std::size_t I>
using Param = std::tuple_element_t<I, Params<F>>;

template <class F>
concept Callable = std::is_empty_v<F> && std::is_default_constructible_v<F>;

// Whether parameter First of F is its last one and collects "*args".
template <class F, std::size_t First>
constexpr bool takes_varargs() {
  if constexpr (arity<F> == First + 1) {
    return std::is_same_v<std::decay_t<Param<F, First>>, VarArgs>;
  } else {
    return false;
  }
}

// Method table entries are stored as PyCFunction whatever their calling convention.
template <class Fn>
PyCFunction as_cfunction(Fn* fn) {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(fn));
}

// The signature of each registered callable. Trampolines find it by lambda type, so a
// lambda type has one registration: registering it again is accepted only under the
// same name and parameters (a retried registration).
template <class F>
inline const Signature* signature_of = nullptr;

// Checks the names against F's parameters from First on (First = 1 skips the receiver)
// and gives F its signature.
template <class F, std::size_t First>
const Signature* register_signature(std::string qualified_name, std::vector<std::string> params) {
  static_assert(arity<F> >= First, "a method's first parameter is its receiver");
  check_registration(qualified_name, params, arity<F> - First, First > 0, takes_varargs<F, First>(),
                     signature_of<F>);
  if (signature_of<F> == nullptr) {
    signature_of<F> = keep_signature(Signature(std::move(qualified_name), std::move(params)));
  }
  return signature_of<F>;
}

// Holders for parameters First .. arity-1 of F.
template <class F, std::size_t First, class = std::make_index_sequence<arity<F> - First>>
struct HolderTuple;
template <class F, std::size_t First, std::size_t... I>
struct HolderTuple<F, First, std::index_sequence<I...>> {
  using type = std::tuple<ArgHolder<Param<F, First + I>>...>;
};

template <class F, class Tuple, std::size_t... I>
void load_all(Tuple& holders, PyObject* const* objects, const Signature& signature,
              std::index_sequence<I...>) {
  (load_named(std::get<I>(holders), objects[I], signature.name(I)), ...);
}

template <class F, class... Holders, std::size_t... I>
Ref invoke_with(std::tuple<Holders...>& holders, std::index_sequence<I...>) {
  const F f{};
  using R = decltype(f(std::get<I>(holders).get()...));
  if constexpr (std::is_void_v<R>) {
    f(std::get<I>(holders).get()...);
    return Ref::borrow(Py_None);
  } else {
    return to_python(f(std::get<I>(holders).get()...));
  }
}

template <class F, class... Holders>
Ref invoke(std::tuple<Holders...>& holders) {
  return invoke_with<F>(holders, std::index_sequence_for<Holders...>{});
}

// Binds, converts and calls F's parameters from First on; the holders of earlier
// parameters (the receiver) are passed in already loaded.
template <class F, std::size_t First, class Bind, class... Loaded>
Ref call_rest(Bind&& bind, std::tuple<Loaded...> loaded) {
  using Rest = typename HolderTuple<F, First>::type;
  constexpr std::size_t count = std::tuple_size_v<Rest>;
  PyObject* objects[count > 0 ? count : 1] = {};
  static_assert(!takes_varargs<F, First>(),
                "\"*args\" is supported for functions and constructors");
  const Signature& signature = *signature_of<F>;
  bind(signature, objects);
  Rest rest;
  load_all<F>(rest, objects, signature, std::make_index_sequence<count>{});
  if constexpr (sizeof...(Loaded) == 0) {
    return invoke<F>(rest);  // a function: no receiver to put first
  } else {
    auto holders = std::tuple_cat(std::move(loaded), std::move(rest));
    return invoke<F>(holders);
  }
}

// ---- module functions and static methods ----

template <Callable F>
PyObject* function_fastcall(PyObject*, PyObject* const* args, Py_ssize_t nargsf,
                            PyObject* kwnames) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    if constexpr (takes_varargs<F, 0>()) {
      if (kwnames != nullptr && PyTuple_GET_SIZE(kwnames) > 0) {
        PyObject* objects[1];
        signature_of<F>->bind(args, 0, kwnames, objects);  // reports the keyword
      }
      return to_python(F{}(VarArgs(args, static_cast<std::size_t>(nargs)))).release();
    } else {
      auto bind = [&](const Signature& s, PyObject** out) { s.bind(args, nargs, kwnames, out); };
      return call_rest<F, 0>(bind, std::tuple<>{}).release();
    }
  });
}

template <Callable F>
PyObject* function_noargs(PyObject*, PyObject*) noexcept {
  return guarded<PyObject*>(nullptr, [] {
    std::tuple<> none;
    return invoke<F>(none).release();
  });
}

// ---- instance methods ----

template <Callable F>
ArgHolder<Param<F, 0>> load_receiver(PyObject* self) {
  ArgHolder<Param<F, 0>> receiver;
  receiver.load(self);
  return receiver;
}

template <Callable F>
PyObject* method_fastcall(PyObject* self, PyObject* const* args, Py_ssize_t nargsf,
                          PyObject* kwnames) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
    PyObject* objects[arity<F>] = {};
    signature_of<F>->bind(args, nargs, kwnames, objects);  // binding comes first
    auto loaded = std::make_tuple(load_receiver<F>(self));
    auto bind = [&](const Signature&, PyObject** out) {
      for (std::size_t i = 0; i + 1 < arity<F>; ++i) out[i] = objects[i];
    };
    return call_rest<F, 1>(bind, std::move(loaded)).release();
  });
}

template <Callable F>
PyObject* method_noargs(PyObject* self, PyObject*) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    auto holders = std::make_tuple(load_receiver<F>(self));
    return invoke<F>(holders).release();
  });
}

// ---- constructors ----

// The lambda returns the new value (or std::expected of it); the class cannot be
// subclassed, so `type` is always T's own class and the result wraps like any other.
template <class T, Callable F>
PyObject* constructor_new(PyTypeObject*, PyObject* args, PyObject* kwargs) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    if constexpr (takes_varargs<F, 0>()) {
      if (kwargs != nullptr && PyDict_GET_SIZE(kwargs) > 0) {
        PyObject* objects[1];
        const Ref empty = checked(PyTuple_New(0));
        signature_of<F>->bind(empty.get(), kwargs, objects);  // reports the keyword
      }
      const auto* items = &PyTuple_GET_ITEM(args, 0);
      return to_python(F{}(VarArgs(items, static_cast<std::size_t>(PyTuple_GET_SIZE(args)))))
          .release();
    } else {
      auto bind = [&](const Signature& s, PyObject** out) { s.bind(args, kwargs, out); };
      return call_rest<F, 0>(bind, std::tuple<>{}).release();
    }
  });
}

template <class T>
PyObject* no_constructor(PyTypeObject*, PyObject*, PyObject*) noexcept {
  PyErr_Format(PyExc_TypeError, "No constructor defined for %s", class_name<T>);
  return nullptr;
}

// ---- properties ----

template <Callable F>
PyObject* property_get(PyObject* self, void*) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    auto holders = std::make_tuple(load_receiver<F>(self));
    return invoke<F>(holders).release();
  });
}

// `closure` is the name of the new value in conversion errors, per registration.
template <Callable F>
int property_set(PyObject* self, PyObject* value, void* closure) noexcept {
  return guarded<int>(-1, [&] {
    if (value == nullptr) raise(PyExc_AttributeError, "can't delete attribute");
    ArgHolder<Param<F, 1>> converted;
    load_named(converted, value, static_cast<const char*>(closure));  // value, then receiver
    auto holders = std::make_tuple(load_receiver<F>(self), std::move(converted));
    invoke<F>(holders);
    return 0;
  });
}

// ---- slots ----

template <Callable F>
PyObject* repr_slot(PyObject* self) noexcept {
  return property_get<F>(self, nullptr);
}

// One overload of a binary operator: NotImplemented when `other` does not convert.
using BinaryFn = PyObject* (*)(PyObject* self, PyObject* other);

template <Callable F>
PyObject* binary_overload(PyObject* self, PyObject* other) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    auto receiver = load_receiver<F>(self);
    ArgHolder<Param<F, 1>> converted;
    try {
      converted.load(other);
    } catch (const PythonError&) {
      if (!PyErr_ExceptionMatches(PyExc_TypeError)) throw;
      PyErr_Clear();
      return Py_NewRef(Py_NotImplemented);
    }
    auto holders = std::make_tuple(std::move(receiver), std::move(converted));
    return invoke<F>(holders).release();
  });
}

template <Callable F>
PyObject* subscript_slot(PyObject* self, PyObject* key) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    auto receiver = load_receiver<F>(self);
    ArgHolder<Param<F, 1>> converted;
    load_named(converted, key, "index");
    auto holders = std::make_tuple(std::move(receiver), std::move(converted));
    return invoke<F>(holders).release();
  });
}

// `len(self)`: F(receiver) gives the length.
template <Callable F>
Py_ssize_t length_slot(PyObject* self) noexcept {
  return guarded<Py_ssize_t>(-1, [&] {
    auto receiver = load_receiver<F>(self);
    return static_cast<Py_ssize_t>(F{}(receiver.get()));
  });
}

// `self[index]` of a sequence: F(receiver, index). The interpreter has already added the
// length to a negative index, so F only checks 0 <= index < length.
template <Callable F>
PyObject* item_slot(PyObject* self, Py_ssize_t index) noexcept {
  return guarded<PyObject*>(nullptr, [&] {
    auto receiver = load_receiver<F>(self);
    return to_python(F{}(receiver.get(), index)).release();
  });
}

}  // namespace kinetra::python
