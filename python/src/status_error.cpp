// idut.Error and the translation of the library's failures into Python exceptions.
#include "status_error.h"

#include <cstdio>
#include <string>

#include "kit/object.h"
#include "kit/system.h"

namespace py = pybind11;

namespace {

struct statusFailure {
  int32_t status;
  std::string what;
};

struct argumentCheckFailure {
  int32_t line;
};

// A new reference held for the life of the process: the type outlives the interpreter's
// own teardown of the module.
PyObject* errorType = nullptr;

[[noreturn]] void throwArgumentCheck(int32_t line) {
  throw argumentCheckFailure{line};
}

void raiseError(int32_t status, const std::string& what) {
  char text[32];
  std::snprintf(text, sizeof text, " failed with status 0x%08x", uint32_t(status));
  py::object error = py::reinterpret_borrow<py::object>(errorType)(what + text);
  error.attr("status") = status;
  PyErr_SetObject(errorType, error.ptr());
}

}  // namespace

void idutpy_throwOnFailure(int32_t status, const char* what) {
  if (status < 0) throw statusFailure{status, what};
}

void idutpy_addErrors(py::module_& module) {
  errorType = PyErr_NewExceptionWithDoc(
      "idut.Error", "A library call failed; .status holds its status (a negative 32-bit value).",
      PyExc_RuntimeError, nullptr);
  if (!errorType) throw py::error_already_set();
  module.add_object("Error", py::reinterpret_borrow<py::object>(errorType));
  cstd_assert_setHandler(throwArgumentCheck);
  py::register_exception_translator([](std::exception_ptr failure) {
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const statusFailure& e) {
      raiseError(e.status, e.what);
    } catch (const cxException& e) {
      raiseError(e.status(), *e.message() ? e.message() : e.file());
    } catch (const argumentCheckFailure& e) {
      PyErr_SetString(PyExc_ValueError,
                      ("an argument is out of the library's range (check at line " +
                       std::to_string(e.line) + ")")
                          .c_str());
    }
  });
}
