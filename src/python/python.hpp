#pragma once

// The one place the binding includes the interpreter's headers.
#define PY_SSIZE_T_CLEAN
#include <Python.h>
