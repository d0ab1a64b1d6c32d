#pragma once

// Declarative description of a Python class around a core type T. A binding reads
// like the class's member table:
//
//   ClassDef<Vector3D>("Vector3D")
//       .constructor({"x", "y", "z"}, [](double x, double y, double z) { ... })
//       .static_method("zeros", {}, [] { return Vector3D::zeros(); })
//       .method("norm", {}, [](const Vector3D& self) { return self.norm(); })
//       .add([](const Vector3D& a, const Vector3D& b) { return a + b; })
//       .repr([](const Vector3D& self) { return ...; });
//
// Types are created once, on first use, from a PyType_Spec: not subclassable, no
// instance dict, no weak references, bare names.

#include <deque>
#include <expected>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "python/callable.hpp"
#include "python/pickle.hpp"

namespace kinetra::python {

enum class BinaryOp { Add, Subtract, Multiply };

template <class T, BinaryOp Op>
inline std::vector<BinaryFn> forward_overloads;
template <class T, BinaryOp Op>
inline std::vector<BinaryFn> reflected_overloads;

template <class T, BinaryOp Op>
PyObject* binary_slot(PyObject* a, PyObject* b) noexcept {
  if (is_instance<T>(a)) {
    for (BinaryFn fn : forward_overloads<T, Op>) {
      PyObject* result = fn(a, b);
      if (result != Py_NotImplemented) return result;
      Py_DECREF(result);
    }
  }
  if (is_instance<T>(b)) {
    for (BinaryFn fn : reflected_overloads<T, Op>) {
      PyObject* result = fn(b, a);
      if (result != Py_NotImplemented) return result;
      Py_DECREF(result);
    }
  }
  Py_RETURN_NOTIMPLEMENTED;
}

template <class E>
inline std::vector<std::pair<std::string, E>> enum_members;

template <class E>
std::string enum_repr(const E& value) {
  for (const auto& [name, member] : enum_members<E>) {
    if (member == value) return std::string(class_name<E>) + "." + name;
  }
  return std::string(class_name<E>) + ".?";
}

template <class E>
PyObject* enum_int(PyObject* self) noexcept {
  return PyLong_FromLongLong(static_cast<long long>(as_object<E>(self)->value));
}

// ---- pickling and copying ----

// The state functions of a picklable class T (set by ClassDef::picklable).
template <class T>
inline std::string (*save_state)(const T&) = nullptr;
template <class T>
inline std::expected<T, std::string> (*load_state)(std::string_view) = nullptr;

template <class T>
Ref restore_value(std::string_view state) {
  auto value = load_state<T>(state);
  if (!value) {
    raise(PyExc_ValueError, std::string("cannot restore ") + class_name<T> + ": " + value.error());
  }
  return wrap<T>(std::move(*value));
}

// The class attribute of an enumeration member: the one object every unpickling and
// copy of that member gives.
template <class E>
Ref shared_member(const E& value) {
  for (const auto& [name, member] : enum_members<E>) {
    if (member == value) {
      return checked(
          PyObject_GetAttrString(reinterpret_cast<PyObject*>(type_object<E>), name.c_str()));
    }
  }
  raise(PyExc_ValueError, std::string("no member of ") + class_name<E> + " has this value");
}

// An enumeration's state is the member's name.
template <class E>
Ref restore_member(std::string_view state) {
  for (const auto& [name, member] : enum_members<E>) {
    if (name == state) return shared_member(member);
  }
  raise(PyExc_ValueError, std::string("cannot restore ") + class_name<E> + ": no member named '" +
                              std::string(state) + "'");
}

inline constexpr const char* kReduceDoc =
    "Pickle support: the module's reconstructor `_restore` and its arguments (the class name "
    "and\nthe object's state as bytes).";
inline constexpr const char* kCopyDoc = "A copy of this object, independent of it.";
inline constexpr const char* kDeepCopyDoc =
    "A copy of this object, independent of it (it holds no Python objects, so `memo` is not "
    "used).";

template <class T>
class ClassDef {
 public:
  // A new definition that lives until the process ends (the type keeps pointers into
  // it); bind it to a function-local static reference.
  static ClassDef& define(const char* name) { return *new ClassDef(name); }
  ClassDef(const ClassDef&) = delete;
  ClassDef& operator=(const ClassDef&) = delete;

  ClassDef& doc(std::string text) {
    doc_ = std::move(text);
    return *this;
  }

  template <Callable F>
  ClassDef& constructor(std::vector<std::string> params, F) {
    const Signature* signature = register_signature<F, 0>(name_ + ".__new__", std::move(params));
    constructor_signature_ = signature->text(false);
    slots_.push_back({Py_tp_new, reinterpret_cast<void*>(&constructor_new<T, F>)});
    has_constructor_ = true;
    return *this;
  }

  // An instance method; the lambda's first parameter is the receiver: `const T&`
  // (shared claim) or `T&` (exclusive claim).
  template <Callable F>
  ClassDef& method(const char* name, std::vector<std::string> params, F, std::string doc = {}) {
    const std::string text =
        register_signature<F, 1>(name_ + "." + name, std::move(params))->text(true);
    if constexpr (arity<F> == 1) {
      add_method(name, text, std::move(doc), as_cfunction(&method_noargs<F>), METH_NOARGS);
    } else {
      add_method(name, text, std::move(doc), as_cfunction(&method_fastcall<F>),
                 METH_FASTCALL | METH_KEYWORDS);
    }
    return *this;
  }

  template <Callable F>
  ClassDef& static_method(const char* name, std::vector<std::string> params, F,
                          std::string doc = {}) {
    const std::string text =
        register_signature<F, 0>(name_ + "." + name, std::move(params))->text(false);
    if constexpr (arity<F> == 0) {
      add_method(name, text, std::move(doc), as_cfunction(&function_noargs<F>),
                 METH_NOARGS | METH_STATIC);
    } else {
      add_method(name, text, std::move(doc), as_cfunction(&function_fastcall<F>),
                 METH_FASTCALL | METH_KEYWORDS | METH_STATIC);
    }
    return *this;
  }

  template <Callable G>
  ClassDef& property(const char* name, G, std::string doc = {}) {
    static_assert(arity<G> == 1, "a getter takes only its receiver");
    add_property(name, &property_get<G>, nullptr, std::move(doc), nullptr);
    return *this;
  }

  // `value_name` names the new value in conversion errors (the property name by default).
  template <Callable G, Callable S>
  ClassDef& property(const char* name, G, S, std::string doc = {},
                     const char* value_name = nullptr) {
    static_assert(arity<G> == 1, "a getter takes only its receiver");
    static_assert(arity<S> == 2, "a setter takes its receiver and the new value");
    add_property(name, &property_get<G>, &property_set<S>, std::move(doc),
                 value_name != nullptr ? value_name : name);
    return *this;
  }

  template <Callable F>
  ClassDef& repr(F) {
    static_assert(arity<F> == 1, "repr takes only its receiver");
    slots_.push_back({Py_tp_repr, reinterpret_cast<void*>(&repr_slot<F>)});
    return *this;
  }

  // `self + other`, `self - other`, `self * other`: F(receiver, other); an `other`
  // that does not convert makes the operator return NotImplemented. Overloads are
  // tried in the order they are given.
  template <Callable F>
  ClassDef& add(F) {
    return binary<BinaryOp::Add>(&binary_overload<F>, false);
  }
  template <Callable F>
  ClassDef& subtract(F) {
    return binary<BinaryOp::Subtract>(&binary_overload<F>, false);
  }
  template <Callable F>
  ClassDef& multiply(F) {
    return binary<BinaryOp::Multiply>(&binary_overload<F>, false);
  }
  // `other * self`: F(receiver, other).
  template <Callable F>
  ClassDef& reflected_multiply(F) {
    return binary<BinaryOp::Multiply>(&binary_overload<F>, true);
  }

  // `self[index]`: F(receiver, index); conversion errors name the argument `index`.
  template <Callable F>
  ClassDef& subscript(F) {
    static_assert(arity<F> == 2, "subscript takes its receiver and the index");
    slots_.push_back({Py_mp_subscript, reinterpret_cast<void*>(&subscript_slot<F>)});
    return *this;
  }

  // A sequence: `len(self)` is L(receiver), `self[i]` is I(receiver, i) with a negative
  // i already counted from the end; `iter(self)` is the interpreter's sequence iterator
  // over these (an explicit __iter__, so that type checkers see an iterable).
  template <Callable L, Callable I>
  ClassDef& sequence(L, I) {
    static_assert(arity<L> == 1, "the length takes only its receiver");
    static_assert(arity<I> == 2, "an item takes its receiver and the index");
    slots_.push_back({Py_sq_length, reinterpret_cast<void*>(&length_slot<L>)});
    slots_.push_back({Py_sq_item, reinterpret_cast<void*>(&item_slot<I>)});
    slots_.push_back({Py_tp_iter, reinterpret_cast<void*>(&PySeqIter_New)});
    return *this;
  }

  // An enumeration: one shared class attribute per member, repr "{Class}.{Member}",
  // int() gives the discriminant. Members pickle by name and copy to the shared member.
  ClassDef& enumeration(std::vector<std::pair<std::string, T>> members)
    requires std::is_enum_v<T>
  {
    enum_members<T> = std::move(members);
    slots_.push_back({Py_nb_int, reinterpret_cast<void*>(&enum_int<T>)});
    restorer_ = &restore_member<T>;
    method(
        "__reduce__", {},
        [](const T& self) {
          for (const auto& [name, member] : enum_members<T>) {
            if (member == self) return reduce_value(class_name<T>, name);
          }
          raise(PyExc_ValueError, std::string("no member of ") + class_name<T> + " has this value");
        },
        kReduceDoc);
    method("__copy__", {}, [](const T& self) { return shared_member(self); }, kCopyDoc);
    method(
        "__deepcopy__", {"memo"}, [](const T& self, PyObject*) { return shared_member(self); },
        kDeepCopyDoc);
    return repr([](const T& self) { return enum_repr(self); });
  }

  // Pickling with the state `save` writes and `load` reads back (a state `load` refuses
  // raises ValueError), and copy.copy / copy.deepcopy as C++ copies of the value.
  ClassDef& picklable(std::string (*save)(const T&),
                      std::expected<T, std::string> (*load)(std::string_view)) {
    save_state<T> = save;
    load_state<T> = load;
    restorer_ = &restore_value<T>;
    method(
        "__reduce__", {},
        [](const T& self) { return reduce_value(class_name<T>, save_state<T>(self)); }, kReduceDoc);
    method("__copy__", {}, [](const T& self) { return self; }, kCopyDoc);
    return method(
        "__deepcopy__", {"memo"}, [](const T& self, PyObject*) { return self; }, kDeepCopyDoc);
  }

  // The class object, created on first use and shared afterwards (new reference).
  Ref type() {
    if (type_object<T> == nullptr) create();
    return Ref::borrow(reinterpret_cast<PyObject*>(type_object<T>));
  }

 private:
  template <BinaryOp Op>
  ClassDef& binary(BinaryFn fn, bool reflected) {
    auto& overloads = reflected ? reflected_overloads<T, Op> : forward_overloads<T, Op>;
    if (!has_operator(Op)) {
      constexpr int slot = Op == BinaryOp::Add        ? Py_nb_add
                           : Op == BinaryOp::Subtract ? Py_nb_subtract
                                                      : Py_nb_multiply;
      slots_.push_back({slot, reinterpret_cast<void*>(&binary_slot<T, Op>)});
      operators_.push_back(Op);
    }
    overloads.push_back(fn);
    return *this;
  }

  bool has_operator(BinaryOp op) const {
    for (BinaryOp existing : operators_) {
      if (existing == op) return true;
    }
    return false;
  }

  const char* keep_text(std::string text) {
    texts_.push_back(std::move(text));
    return texts_.back().c_str();
  }

  void add_method(const char* name, const std::string& signature, std::string doc,
                  PyCFunction function, int flags) {
    const char* docstring = keep_text(std::string(name) + signature + "\n--\n\n" + doc);
    methods_.push_back({name, function, flags, docstring});
  }

  // `value_name` becomes the setter's closure.
  void add_property(const char* name, getter get, setter set, std::string doc,
                    const char* value_name) {
    getsets_.push_back({name, get, set, doc.empty() ? nullptr : keep_text(std::move(doc)),
                        const_cast<char*>(value_name)});
  }

  explicit ClassDef(const char* name) : name_(name) { class_name<T> = keep_text(name_); }

  void create() {
    methods_.push_back({nullptr, nullptr, 0, nullptr});
    getsets_.push_back({nullptr, nullptr, nullptr, nullptr, nullptr});
    std::string class_doc;
    if (!constructor_signature_.empty()) class_doc = name_ + constructor_signature_ + "\n--\n\n";
    class_doc += doc_;
    std::vector<PyType_Slot> slots = slots_;
    slots.push_back({Py_tp_dealloc, reinterpret_cast<void*>(&dealloc_object<T>)});
    if (!has_constructor_)
      slots.push_back({Py_tp_new, reinterpret_cast<void*>(&no_constructor<T>)});
    if (!class_doc.empty()) slots.push_back({Py_tp_doc, const_cast<char*>(keep_text(class_doc))});
    slots.push_back({Py_tp_methods, methods_.data()});
    slots.push_back({Py_tp_getset, getsets_.data()});
    // Type creation warns when a bare-named type has no __module__ entry; a
    // placeholder member fills the entry until it is replaced by "builtins" below.
    static PyMemberDef module_placeholder[] = {
        {"__module__", Py_T_OBJECT_EX, 0, Py_READONLY, nullptr}, {nullptr, 0, 0, 0, nullptr}};
    slots.push_back({Py_tp_members, module_placeholder});
    slots.push_back({0, nullptr});
    PyType_Spec spec{class_name<T>, static_cast<int>(sizeof(Object<T>)), 0,
                     Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, slots.data()};
    Ref type = checked(PyType_FromSpec(&spec));
    auto* created = reinterpret_cast<PyTypeObject*>(type.get());
    // A bare class name leaves __module__ unset; report "builtins" explicitly.
    Ref dict = checked(PyType_GetDict(created));
    const Ref builtins = checked(PyUnicode_FromString("builtins"));
    checked(PyDict_SetItemString(dict.get(), "__module__", builtins.get()));
    if constexpr (std::is_enum_v<T>) {
      for (const auto& [member_name, value] : enum_members<T>) {
        checked(PyDict_SetItemString(dict.get(), member_name.c_str(),
                                     wrap_as<T>(created, value).get()));
      }
    }
    PyType_Modified(created);
    type_object<T> = reinterpret_cast<PyTypeObject*>(type.release());  // lives for the process
    if (restorer_ != nullptr) register_restorer(class_name<T>, restorer_);
  }

  std::string name_;
  std::string doc_;
  std::string constructor_signature_;
  bool has_constructor_ = false;
  std::deque<std::string> texts_;
  std::vector<PyMethodDef> methods_;
  std::vector<PyGetSetDef> getsets_;
  std::vector<PyType_Slot> slots_;
  std::vector<BinaryOp> operators_;
  RestoreFn restorer_ = nullptr;
};

}  // namespace kinetra::python
