#include "text.hpp"

namespace bindings {

namespace py = pybind11;

py::str text(std::string_view bytes) {
  PyObject* decoded =
      PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "replace");
  if (decoded == nullptr)
    throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

py::list texts(const std::vector<std::string>& lines) {
  py::list list;
  for (const std::string& line : lines)
    list.append(text(line));
  return list;
}

} // namespace bindings
