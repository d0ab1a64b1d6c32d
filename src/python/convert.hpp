#pragma once

// Argument converters (Python object -> core value) and result converters
// (core value -> new Python object). The converter of a parameter is chosen from
// its C++ type: double, std::size_t, std::int64_t, std::string, bool, FilePath,
// Flag<default> (a bool that may be left out), NumPy arrays (NumpyArray: a view;
// ArrayValues: the elements in row-major order; AnyArray: any dtype), sequences of float or int
// (std::vector), std::optional of those (None counts as absent), PyObject* (as given), and every
// other class type is a wrapper class: `const T&` claims the object shared, `T&` exclusively, `T`
// copies the value under a shared claim.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "python/array.hpp"
#include "python/object.hpp"

namespace kinetra::python {

// The positional arguments of a "*args" parameter, as given.
using VarArgs = std::span<PyObject* const>;

// A file-system path: a str, or what os.fspath makes of the object (os.PathLike, bytes).
// Bytes must be UTF-8 like every text the module reads (UnicodeDecodeError otherwise);
// any other object is the str converter's TypeError with a note saying what is accepted.
struct FilePath {
  std::string value;
};

// A bool parameter written "name=True" or "name=False": left out, it is `Default`.
template <bool Default>
struct Flag {
  bool value = Default;
};

template <class T>
struct is_builtin_argument : std::false_type {};
template <>
struct is_builtin_argument<std::string> : std::true_type {};
template <>
struct is_builtin_argument<FilePath> : std::true_type {};
template <bool D>
struct is_builtin_argument<Flag<D>> : std::true_type {};
template <int D>
struct is_builtin_argument<NumpyArray<D>> : std::true_type {};
template <int D>
struct is_builtin_argument<ArrayValues<D>> : std::true_type {};
template <>
struct is_builtin_argument<AnyArray> : std::true_type {};
template <class T>
struct is_builtin_argument<std::optional<T>> : std::true_type {};
template <>
struct is_builtin_argument<VarArgs> : std::true_type {};
template <>
struct is_builtin_argument<Ref> : std::true_type {};
template <class... Ts>
struct is_builtin_argument<std::tuple<Ts...>> : std::true_type {};
template <class T, class A>
struct is_builtin_argument<std::vector<T, A>> : std::true_type {};

// A core type exposed as a Python class (a `const Array1&` parameter is a builtin one too).
template <class T>
concept Wrapped =
    (std::is_class_v<T> || std::is_enum_v<T>) && !is_builtin_argument<std::remove_cv_t<T>>::value;

[[noreturn]] void raise_cannot_convert(PyObject* object, const char* target);

double to_f64(PyObject* object);
std::size_t to_usize(PyObject* object);
std::int64_t to_i64(PyObject* object);
std::string to_string(PyObject* object);
std::string to_path(PyObject* object);
bool to_bool(PyObject* object);

// Holders: load() converts (and claims), get() hands the value to the callable.
template <class P>
struct Arg;

template <>
struct Arg<double> {
  double value = 0.0;
  void load(PyObject* object) { value = to_f64(object); }
  double get() const { return value; }
};

template <>
struct Arg<std::size_t> {
  std::size_t value = 0;
  void load(PyObject* object) { value = to_usize(object); }
  std::size_t get() const { return value; }
};

template <>
struct Arg<std::int64_t> {
  std::int64_t value = 0;
  void load(PyObject* object) { value = to_i64(object); }
  std::int64_t get() const { return value; }
};

template <>
struct Arg<bool> {
  bool value = false;
  void load(PyObject* object) { value = to_bool(object); }
  bool get() const { return value; }
};

template <>
struct Arg<std::string> {
  std::string value;
  void load(PyObject* object) { value = to_string(object); }
  std::string& get() { return value; }
};

template <>
struct Arg<FilePath> {
  FilePath value;
  void load(PyObject* object) { value.value = to_path(object); }
  FilePath& get() { return value; }
};

template <bool D>
struct Arg<Flag<D>> {
  Flag<D> value;
  void load(PyObject* object) {
    if (object != nullptr) value.value = to_bool(object);
  }
  Flag<D> get() const { return value; }
};

template <int D>
struct Arg<NumpyArray<D>> {
  NumpyArray<D> value;
  void load(PyObject* object) { value = to_numpy_array<D>(object); }
  const NumpyArray<D>& get() const { return value; }
};

template <int D>
struct Arg<ArrayValues<D>> {
  ArrayValues<D> value;
  void load(PyObject* object) { value.load(object); }
  const ArrayValues<D>& get() const { return value; }
};

template <>
struct Arg<AnyArray> {
  AnyArray value;
  void load(PyObject* object) { value = load_any_array(object); }
  const AnyArray& get() const { return value; }
};

template <>
struct Arg<PyObject*> {
  PyObject* value = nullptr;
  void load(PyObject* object) { value = object; }
  PyObject* get() const { return value; }
};

template <class T>
struct Arg<std::optional<T>> {
  std::optional<Arg<T>> inner;
  void load(PyObject* object) {
    if (object == nullptr || object == Py_None) return;
    inner.emplace();
    inner->load(object);
  }
  std::optional<T> get() {
    if (!inner) return std::nullopt;
    return inner->get();
  }
};

// Any sequence except str, every item converted to f64.
std::vector<double> to_f64_sequence(PyObject* object);

template <>
struct Arg<std::vector<double>> {
  std::vector<double> value;
  void load(PyObject* object) { value = to_f64_sequence(object); }
  std::vector<double>& get() { return value; }
};

// Any sequence except str, every item converted to usize.
std::vector<std::size_t> to_usize_sequence(PyObject* object);

template <>
struct Arg<std::vector<std::size_t>> {
  std::vector<std::size_t> value;
  void load(PyObject* object) { value = to_usize_sequence(object); }
  std::vector<std::size_t>& get() { return value; }
};

// A tuple of exactly sizeof...(Ts) items, each converted by its own rule.
[[noreturn]] void raise_tuple_length(std::size_t expected, Py_ssize_t got);

template <class... Ts>
struct Arg<std::tuple<Ts...>> {
  std::tuple<Arg<Ts>...> items;
  void load(PyObject* object) {
    if (!PyTuple_Check(object)) raise_cannot_convert(object, "PyTuple");
    if (PyTuple_GET_SIZE(object) != static_cast<Py_ssize_t>(sizeof...(Ts))) {
      raise_tuple_length(sizeof...(Ts), PyTuple_GET_SIZE(object));
    }
    load_items(object, std::index_sequence_for<Ts...>{});
  }
  std::tuple<Ts...> get() {
    return std::apply([](auto&... item) { return std::tuple<Ts...>(item.get()...); }, items);
  }

 private:
  template <std::size_t... I>
  void load_items(PyObject* tuple, std::index_sequence<I...>) {
    (std::get<I>(items).load(PyTuple_GET_ITEM(tuple, I)), ...);
  }
};

template <Wrapped T>
Object<T>* checked_instance(PyObject* object) {
  if (!is_instance<T>(object)) raise_cannot_convert(object, class_name<T>);
  return as_object<T>(object);
}

// A wrapper-class argument claimed for the call: shared (const T&) or exclusive (T&).
template <Wrapped T, class Claim>
struct BorrowedArg {
  Object<T>* object = nullptr;
  Claim claim;
  void load(PyObject* o) {
    object = checked_instance<T>(o);
    claim = Claim(object->borrow);
  }
  T& get() const { return object->value; }
};
template <Wrapped T>
using SharedArg = BorrowedArg<T, SharedBorrow>;
template <Wrapped T>
using ExclusiveArg = BorrowedArg<T, ExclusiveBorrow>;

template <Wrapped T>
struct CopyArg {
  std::optional<T> value;
  void load(PyObject* o) {
    Object<T>* object = checked_instance<T>(o);
    SharedBorrow claim(object->borrow);
    value.emplace(object->value);
  }
  T& get() { return *value; }
};

template <class P>
struct ArgFor {
  using type = Arg<std::decay_t<P>>;
};
template <Wrapped T>
struct ArgFor<const T&> {
  using type = SharedArg<T>;
};
template <Wrapped T>
struct ArgFor<T&> {
  using type = ExclusiveArg<T>;
};
template <Wrapped T>
struct ArgFor<T> {
  using type = CopyArg<T>;
};
template <Wrapped T>
struct ArgFor<const T> {
  using type = CopyArg<T>;
};
// An optional wrapper-class argument (`name=None`), copied when given.
template <Wrapped T>
struct OptionalCopyArg {
  std::optional<T> value;
  void load(PyObject* o) {
    if (o == nullptr || o == Py_None) return;
    CopyArg<T> copy;
    copy.load(o);
    value.emplace(std::move(copy.get()));
  }
  std::optional<T> get() { return std::move(value); }
};
template <Wrapped T>
struct ArgFor<std::optional<T>> {
  using type = OptionalCopyArg<T>;
};
template <>
struct ArgFor<VarArgs> {
  using type = Arg<PyObject*>;  // never used: varargs are bound separately
};

template <class P>
using ArgHolder = typename ArgFor<P>::type;

// Converts with the parameter's name in any TypeError ("argument 'q': ...").
template <class Holder>
[[gnu::always_inline]] inline void load_named(Holder& holder, PyObject* object, const char* name) {
  try {
    holder.load(object);
  } catch (const PythonError&) {
    prefix_type_error(name);
    throw;
  }
}

// ---- results ----

template <class T>
struct is_expected : std::false_type {};
template <class T, class E>
struct is_expected<std::expected<T, E>> : std::true_type {};
template <class T>
struct is_tuple : std::false_type {};
template <class... Ts>
struct is_tuple<std::tuple<Ts...>> : std::true_type {};
template <class T>
struct is_optional : std::false_type {};
template <class T>
struct is_optional<std::optional<T>> : std::true_type {};
template <class T>
struct is_vector : std::false_type {};
template <class T, class A>
struct is_vector<std::vector<T, A>> : std::true_type {};

// The text of a core error value: a string as it is, otherwise display_text(e) (ADL).
template <class E>
std::string error_text(const E& error) {
  if constexpr (std::is_convertible_v<const E&, std::string>) {
    return std::string(error);
  } else {
    return display_text(error);
  }
}

template <class R>
Ref to_python(R&& result) {
  using T = std::remove_cvref_t<R>;
  if constexpr (std::is_same_v<T, Ref>) {
    return std::forward<R>(result);
  } else if constexpr (std::is_same_v<T, bool>) {
    return Ref::borrow(result ? Py_True : Py_False);
  } else if constexpr (std::is_floating_point_v<T>) {
    return checked(PyFloat_FromDouble(static_cast<double>(result)));
  } else if constexpr (std::is_unsigned_v<T>) {
    return checked(PyLong_FromSize_t(static_cast<std::size_t>(result)));
  } else if constexpr (std::is_integral_v<T>) {
    return checked(PyLong_FromLongLong(static_cast<long long>(result)));
  } else if constexpr (std::is_same_v<T, std::string>) {
    return checked(PyUnicode_FromStringAndSize(result.data(), std::ssize(result)));
  } else if constexpr (is_expected<T>::value) {
    if (!result.has_value()) raise(PyExc_ValueError, error_text(result.error()));
    if constexpr (std::is_void_v<typename T::value_type>) {
      return Ref::borrow(Py_None);
    } else {
      return to_python(std::move(*result));
    }
  } else if constexpr (is_tuple<T>::value) {
    Ref tuple = checked(PyTuple_New(std::tuple_size_v<T>));
    std::apply(
        [&](auto&&... items) {
          Py_ssize_t i = 0;
          ((PyTuple_SET_ITEM(tuple.get(), i++, to_python(std::move(items)).release())), ...);
        },
        result);
    return tuple;
  } else if constexpr (is_optional<T>::value) {
    if (!result.has_value()) return Ref::borrow(Py_None);
    return to_python(std::move(*result));
  } else if constexpr (is_vector<T>::value) {
    Ref list = checked(PyList_New(std::ssize(result)));
    Py_ssize_t i = 0;
    for (auto& item : result)
      PyList_SET_ITEM(list.get(), i++, to_python(std::move(item)).release());
    return list;
  } else {
    static_assert(Wrapped<T>, "no Python conversion for this result type");
    return wrap<T>(std::forward<R>(result));
  }
}

}  // namespace kinetra::python
