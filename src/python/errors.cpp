#include "python/errors.hpp"

#include <exception>
#include <new>

namespace kinetra::python {

void throw_python_error() {
  if (!PyErr_Occurred()) {
    PyErr_SetString(PyExc_SystemError, "attempted to fetch exception but none was set");
  }
  throw PythonError{};
}

void raise(PyObject* type, const std::string& message) {
  PyErr_SetString(type, message.c_str());
  throw PythonError{};
}

PyObject* panic_exception_type() {
  static PyObject* type = nullptr;  // created once, lives until the process ends
  if (type == nullptr) {
    type = PyErr_NewExceptionWithDoc(
        "kinetra.PanicException",
        "An internal failure of kinetra: a condition that valid use cannot reach.",
        PyExc_BaseException, nullptr);
  }
  return type;
}

namespace {

void set_panic(const char* message) {
  if (PyObject* type = panic_exception_type()) PyErr_SetString(type, message);
}

}  // namespace

void set_python_error_from_current_exception() noexcept {
  try {
    throw;
  } catch (const PythonError&) {
    if (!PyErr_Occurred()) {
      PyErr_SetString(PyExc_SystemError, "attempted to fetch exception but none was set");
    }
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const std::exception& error) {
    set_panic(error.what());
  } catch (...) {
    set_panic("unknown internal failure");
  }
}

void prefix_type_error(const char* name) {
  if (!PyErr_ExceptionMatches(PyExc_TypeError)) return;
  PyObject* original = PyErr_GetRaisedException();
  PyObject* text = PyObject_Str(original);
  if (text == nullptr) {
    Py_DECREF(original);
    return;  // the failure of str() is now the pending exception
  }
  PyObject* replacement = PyUnicode_FromFormat("argument '%s': %U", name, text);
  Py_DECREF(text);
  if (replacement == nullptr) {
    Py_DECREF(original);
    return;
  }
  PyObject* error = PyObject_CallOneArg(PyExc_TypeError, replacement);
  Py_DECREF(replacement);
  if (error == nullptr) {
    Py_DECREF(original);
    return;
  }
  // Notes added where the conversion failed stay with the message they explain.
  PyObject* notes = PyObject_GetAttrString(original, "__notes__");
  if (notes == nullptr) {
    PyErr_Clear();
  } else {
    PyObject* copy = PySequence_List(notes);
    Py_DECREF(notes);
    const int status = copy == nullptr ? -1 : PyObject_SetAttrString(error, "__notes__", copy);
    Py_XDECREF(copy);
    if (status < 0) {
      Py_DECREF(error);
      Py_DECREF(original);
      return;
    }
  }
  PyException_SetCause(error, original);  // steals original
  PyErr_SetRaisedException(error);        // steals error
}

void add_note(const std::string& note) {
  PyObject* error = PyErr_GetRaisedException();
  if (error == nullptr) throw_python_error();
  PyObject* result = PyObject_CallMethod(error, "add_note", "s#", note.data(),
                                         static_cast<Py_ssize_t>(note.size()));
  if (result == nullptr) {
    Py_DECREF(error);  // the failure of add_note is now the pending exception
    throw PythonError{};
  }
  Py_DECREF(result);
  PyErr_SetRaisedException(error);  // steals error
}

void throw_with_note(const std::string& note) {
  add_note(note);
  throw PythonError{};
}

std::string type_name(PyObject* object) {
  PyObject* name = PyType_GetQualName(Py_TYPE(object));
  if (name == nullptr) {
    PyErr_Clear();
    return Py_TYPE(object)->tp_name;
  }
  const char* utf8 = PyUnicode_AsUTF8(name);
  std::string result = utf8 != nullptr ? utf8 : Py_TYPE(object)->tp_name;
  if (utf8 == nullptr) PyErr_Clear();
  Py_DECREF(name);
  return result;
}

}  // namespace kinetra::python
