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
  // Notes that explain the original (what was expected) stay visible on the new error.
  PyObject* notes = PyObject_GetAttrString(original, "__notes__");
  if (notes == nullptr) {
    PyErr_Clear();  // no notes
  } else {
    PyObject* copy = PySequence_List(notes);
    Py_DECREF(notes);
    if (copy == nullptr || PyObject_SetAttrString(error, "__notes__", copy) < 0) {
      Py_XDECREF(copy);
      Py_DECREF(error);
      Py_DECREF(original);
      return;  // that failure is now the pending exception
    }
    Py_DECREF(copy);
  }
  PyException_SetCause(error, original);  // steals original
  PyErr_SetRaisedException(error);        // steals error
}

void throw_with_note(const std::string& note) {
  PyObject* error = PyErr_GetRaisedException();
  if (error == nullptr) throw_python_error();
  PyObject* result = PyObject_CallMethod(error, "add_note", "s", note.c_str());
  if (result == nullptr) {
    Py_DECREF(error);  // the failure of add_note is now the pending exception
    throw PythonError{};
  }
  Py_DECREF(result);
  PyErr_SetRaisedException(error);  // steals error
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
