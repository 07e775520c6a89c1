// Failures as Python exceptions: a failing library status raises idut.Error (a
// RuntimeError carrying the status in .status); a failed argument check of the kit raises
// ValueError instead of aborting the interpreter.
#pragma once

#include <pybind11/pybind11.h>
#include <stdint.h>

// Throws for a negative status; what names the operation in the message.
void idutpy_throwOnFailure(int32_t status, const char* what);

// Adds idut.Error to the module and installs the translations above.
void idutpy_addErrors(pybind11::module_& module);
