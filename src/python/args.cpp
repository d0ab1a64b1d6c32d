#include "python/args.hpp"

#include <algorithm>
#include <deque>
#include <stdexcept>

#include "python/errors.hpp"

namespace kinetra::python {

Signature::Signature(std::string qualified_name, std::vector<std::string> parameters)
    : qualified_name_(std::move(qualified_name)), spelled_(std::move(parameters)) {
  for (const std::string& spelled : spelled_) {
    if (spelled == "*") {  // the parameters after it are keyword-only
      positional_ = names_.size();
      continue;
    }
    if (spelled.starts_with('*')) {
      varargs_ = true;  // the surplus positional arguments; not a named parameter
      continue;
    }
    const auto default_at = spelled.find('=');
    names_.push_back(spelled.substr(0, default_at));
    if (default_at == std::string::npos) required_ = names_.size();
    interned_.push_back(checked(PyUnicode_InternFromString(names_.back().c_str())));
  }
  if (positional_ > names_.size()) positional_ = names_.size();
  all_positional_ = !varargs_ && positional_ == names_.size();
}

namespace {

std::string count(std::size_t n, const std::string& noun) {
  return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

}  // namespace

void check_registration(const std::string& qualified_name, const std::vector<std::string>& params,
                        std::size_t parameters, bool has_receiver, bool varargs,
                        const Signature* previous) {
  const std::string refused = "cannot register '" + qualified_name + "': ";
  const auto starred = static_cast<std::size_t>(
      std::count_if(params.begin(), params.end(),
                    [](const std::string& p) { return p.starts_with('*') && p != "*"; }));
  const auto markers = static_cast<std::size_t>(std::count(params.begin(), params.end(), "*"));
  if (markers > 1) throw std::logic_error(refused + "more than one keyword-only marker \"*\"");
  if (varargs && (params.size() != 1 || starred != 1)) {
    throw std::logic_error(refused + "a callable taking VarArgs needs exactly one name, \"*name\"");
  }
  if (!varargs && starred != 0) {
    throw std::logic_error(refused + "\"*name\" needs a callable whose only parameter is VarArgs");
  }
  if (!varargs && params.size() - markers != parameters) {
    throw std::logic_error(refused + count(params.size() - markers, "parameter name") + " for " +
                           count(parameters, "parameter") +
                           (has_receiver ? " after the receiver" : ""));
  }
  if (previous != nullptr &&
      (previous->qualified_name() != qualified_name || previous->parameters() != params)) {
    throw std::logic_error(refused + "its lambda is already registered as '" +
                           previous->qualified_name() + "'; give each registration its own lambda");
  }
}

const Signature* keep_signature(Signature signature) {
  static auto* signatures = new std::deque<Signature>;  // never destroyed
  return &signatures->emplace_back(std::move(signature));
}

std::string Signature::text(bool with_self) const {
  std::string text = "(";
  if (with_self) text += spelled_.empty() ? "$self" : "$self, ";
  for (std::size_t i = 0; i < spelled_.size(); ++i) {
    if (i != 0) text += ", ";
    text += spelled_[i];
  }
  return text + ")";
}

void Signature::too_many_positional(Py_ssize_t given) const {
  const std::size_t max = positional_;
  const char* was = given == 1 ? "was" : "were";
  std::string message = qualified_name_ + "() takes ";
  if (required_ != max) {
    message += "from " + std::to_string(required_) + " to " + std::to_string(max) +
               " positional arguments";
  } else {
    message += std::to_string(max) + (max == 1 ? " positional argument" : " positional arguments");
  }
  message += " but " + std::to_string(given) + " " + was + " given";
  raise(PyExc_TypeError, message);
}

std::size_t Signature::match_keyword(PyObject* keyword, Py_ssize_t nargs, PyObject** out) const {
  std::size_t index = names_.size();
  for (std::size_t i = 0; i < names_.size() && index == names_.size(); ++i) {
    if (interned_[i].get() == keyword) index = i;  // keywords are usually interned
  }
  for (std::size_t i = 0; i < names_.size() && index == names_.size(); ++i) {
    if (PyUnicode_Check(keyword) && PyUnicode_Compare(keyword, interned_[i].get()) == 0) index = i;
  }
  if (index == names_.size()) {
    PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%S'",
                 qualified_name_.c_str(), keyword);
    throw PythonError{};
  }
  if (static_cast<Py_ssize_t>(index) < nargs || out[index] != nullptr) {
    raise(PyExc_TypeError,
          qualified_name_ + "() got multiple values for argument '" + names_[index] + "'");
  }
  return index;
}

void Signature::check_missing(PyObject** out) const {
  if (std::all_of(out, out + required_, [](PyObject* given) { return given != nullptr; })) return;
  std::vector<const std::string*> missing;
  for (std::size_t i = 0; i < required_; ++i) {
    if (out[i] == nullptr) missing.push_back(&names_[i]);
  }
  if (missing.empty()) return;
  std::string message = qualified_name_ + "() missing " + std::to_string(missing.size()) +
                        (missing.size() == 1 ? " required positional argument: "
                                             : " required positional arguments: ");
  for (std::size_t i = 0; i < missing.size(); ++i) {
    if (i != 0) {
      if (missing.size() > 2) message += ',';
      message += i + 1 == missing.size() ? " and " : " ";
    }
    message += "'" + *missing[i] + "'";
  }
  raise(PyExc_TypeError, message);
}

void Signature::bind_any(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                         PyObject** out) const {
  const auto count = static_cast<Py_ssize_t>(names_.size());
  if (nargs > static_cast<Py_ssize_t>(positional_) && !varargs_) too_many_positional(nargs);
  for (Py_ssize_t i = 0; i < count; ++i) out[i] = i < nargs ? args[i] : nullptr;
  if (kwnames != nullptr) {
    const Py_ssize_t nkw = PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t k = 0; k < nkw; ++k) {
      out[match_keyword(PyTuple_GET_ITEM(kwnames, k), nargs, out)] = args[nargs + k];
    }
  }
  check_missing(out);
}

void Signature::bind(PyObject* args_tuple, PyObject* kwargs_dict, PyObject** out) const {
  const Py_ssize_t nargs = PyTuple_GET_SIZE(args_tuple);
  if (kwargs_dict == nullptr && exactly_positional(nargs)) {
    for (Py_ssize_t i = 0; i < nargs; ++i) out[i] = PyTuple_GET_ITEM(args_tuple, i);
    return;
  }
  const auto count = static_cast<Py_ssize_t>(names_.size());
  if (nargs > static_cast<Py_ssize_t>(positional_) && !varargs_) too_many_positional(nargs);
  for (Py_ssize_t i = 0; i < count; ++i)
    out[i] = i < nargs ? PyTuple_GET_ITEM(args_tuple, i) : nullptr;
  if (kwargs_dict != nullptr) {
    Py_ssize_t position = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(kwargs_dict, &position, &key, &value)) {
      out[match_keyword(key, nargs, out)] = value;
    }
  }
  check_missing(out);
}

}  // namespace kinetra::python
