#include "python/module.hpp"

namespace kinetra::python {

void register_object(PyObject* module, const char* name, Ref object) {
  Ref all = Ref::steal(PyObject_GetAttrString(module, "__all__"));
  if (!all) {
    if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throw_python_error();
    PyErr_Clear();
    all = checked(PyList_New(0));
    checked(PyObject_SetAttrString(module, "__all__", all.get()));
  }
  const Ref text = checked(PyUnicode_FromString(name));
  checked(PyList_Append(all.get(), text.get()));
  checked(PyObject_SetAttrString(module, name, object.get()));
}

void register_extension(PyObject* module, const char* name, Ref object) {
  checked(PyObject_SetAttrString(module, name, object.get()));
}

Ref FunctionTable::make(PyMethodDef& def) {
  const Ref module_name = checked(PyUnicode_FromString(module_name_));
  return checked(PyCFunction_NewEx(&def, nullptr, module_name.get()));
}

}  // namespace kinetra::python
