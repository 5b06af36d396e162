#include "batch_binding.hpp"

#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include "arrays.hpp"
#include "batch_work.hpp"
#include "formats_binding.hpp"
#include "kelma_binding.hpp"
#include "symmetry_binding.hpp"
#include "text.hpp"
#include "tools/core/process.hpp"
#include "tools/formats/source_items.hpp"

namespace bindings {

namespace py = pybind11;

namespace {

// A request and the title its record gives (empty when none), for a molecule that its worker
// could not answer.
py::tuple request_entry(const tools::SourceItem& item, const tools::ReadOptions& options) {
  return py::make_tuple(py::bytes(record_request(item, options)), text(item.record.title));
}

tools::MoleculeOptions molecule_options(const tools::ReadOptions& read) {
  tools::MoleculeOptions options;
  options.read = read;
  return options;
}

// The record requests of a chemistry file, cut lazily: no molecule is read here.
class FileRequests {
public:
  FileRequests(const std::filesystem::path& file, const tools::ReadOptions& options)
      : options_(molecule_options(options)), items_({file}, options_) {}

  py::object next() {
    const std::optional<tools::SourceItem> item = items_.next();
    if (!item)
      throw py::stop_iteration();
    return request_entry(*item, options_.read);
  }

private:
  tools::MoleculeOptions options_;
  tools::SourceItems items_;
};

std::size_t count_records(const std::filesystem::path& file, const tools::ReadOptions& options) {
  const tools::MoleculeOptions molecules = molecule_options(options);
  tools::SourceItems items({file}, molecules);
  std::size_t count = 0;
  while (items.next())
    ++count;
  return count;
}

// The record requests of a chemistry file's text, read as a file of that name would be.
py::list text_requests(const std::string& content, const std::filesystem::path& file,
                       const tools::ReadOptions& options) {
  std::istringstream in(content);
  tools::RecordReader records(in, tools::file_layout(file, options));
  py::list requests;
  while (std::optional<tools::FileRecord> record = records.next()) {
    tools::SourceItem item;
    item.file = file;
    item.record = std::move(*record);
    requests.append(request_entry(item, options));
  }
  return requests;
}

py::bytes molecule_request(const DoubleArray& coordinates, const IntArray& types,
                           const IntArray& bonds, const std::vector<std::string>& elements) {
  MoleculeArrays molecule;
  molecule.xyz = coordinate_values(coordinates);
  molecule.types = type_values(types);
  molecule.bonds = bond_values(bonds);
  molecule.elements = elements;
  return py::bytes(arrays_request(molecule));
}

py::dict answer_fields(const MoleculeAnswer& answer) {
  const auto optional = [](const auto& value, const auto& fields) -> py::object {
    return value ? py::object(fields(*value)) : py::none();
  };
  return py::dict(py::arg("molecule") = optional(answer.read, molecule_fields),
                  py::arg("refusal") =
                      answer.refusal ? tools::outcome_words(*answer.refusal) : std::string_view(),
                  py::arg("error") = text(answer.error),
                  py::arg("kelma") = optional(answer.kelma, kelma_fields),
                  py::arg("symmetry") = optional(answer.symmetry, symmetry_fields),
                  py::arg("symmetry_error") = text(answer.symmetry_error),
                  py::arg("seconds") = answer.seconds);
}

py::list answers(const py::bytes& packed) {
  py::list list;
  for (const MoleculeAnswer& answer : unpack_answer(std::string(packed)))
    list.append(answer_fields(answer));
  return list;
}

py::list read_molecules(const py::bytes& request) {
  py::list list;
  for (const tools::ReadMolecule& molecule : read_request(std::string(request)))
    list.append(molecule_fields(molecule));
  return list;
}

// Runs the requests that next() gives (bytes, None after the last) on the workers and hands each
// answer to take(index, answer, failure, late) in request order: the packed answer, or None, why
// the worker gave none and whether that was the time limit. The interpreter lock is held only while
// next and take run.
void run_batch(const py::function& next, const py::function& take, int workers, int timeout_seconds,
               const BatchSettings& settings) {
  // Open Babel loads its format plugins at its first use: loaded here, before any fork, the
  // workers inherit them and never load a library in a child of a process with threads.
  tools::is_chemistry_file("plugins.sdf");
  tools::IsolatedPool pool(
      [settings](std::string_view request) { return answer_request(request, settings); }, workers,
      timeout_seconds);
  const py::gil_scoped_release unlocked;
  pool.run(
      [&]() -> std::optional<std::string> {
        const py::gil_scoped_acquire locked;
        const py::object request = next();
        if (request.is_none())
          return std::nullopt;
        return request.cast<std::string>();
      },
      [&](std::size_t index, tools::IsolatedResult&& result) {
        const py::gil_scoped_acquire locked;
        take(index, result.failure.empty() ? py::object(py::bytes(result.text)) : py::none(),
             text(result.failure), result.late);
      });
}

} // namespace

void add_batch(py::module_& module) {
  // The keyword values of kelma mean nothing without run_kelma, and have no defaults of their own
  // here: the package passes the tools'.
  py::class_<BatchSettings>(module, "BatchSettings")
      .def(py::init([](bool run_kelma, bool run_symmetry, double thrsym, int print, int jobtype,
                       double gtol, double etol, std::optional<int> nsteps, double vdwc) {
             const KelmaSettings kelma{jobtype, gtol, etol, nsteps.value_or(0), vdwc, print};
             return BatchSettings{run_kelma, kelma, !nsteps, run_symmetry, thrsym, print};
           }),
           py::arg("run_kelma"), py::arg("run_symmetry"), py::arg("thrsym"), py::arg("print_level"),
           py::arg("jobtype") = 0, py::arg("gtol") = 0.0, py::arg("etol") = 0.0,
           py::arg("nsteps") = std::nullopt, py::arg("vdwc") = 0.0,
           "What runs on each molecule; nsteps None for the automatic cycle limit.");
  py::class_<FileRequests>(module, "FileRequests")
      .def(py::init([](const std::filesystem::path& file, const std::string& format,
                       std::optional<bool> add_hydrogens, bool retype, int build_seed,
                       int build_timeout) {
             return std::make_unique<FileRequests>(
                 file, read_options(format, add_hydrogens, retype, {build_seed, build_timeout}));
           }),
           py::arg("file"), py::arg("format"), py::arg("add_hydrogens"), py::arg("retype"),
           py::arg("build_seed"), py::arg("build_timeout"))
      .def("__iter__", [](py::object self) { return self; })
      .def("__next__", &FileRequests::next,
           "The next record's request and its title; nothing of it is read.");
  module.def(
      "count_records",
      [](const std::filesystem::path& file, const std::string& format) {
        return count_records(file, read_options(format, std::nullopt, false, {}));
      },
      py::arg("file"), py::arg("format"), "The number of records a chemistry file is cut into.");
  module.def(
      "text_requests",
      [](const std::string& content, const std::filesystem::path& file, const std::string& format,
         std::optional<bool> add_hydrogens, bool retype) {
        return text_requests(content, file, read_options(format, add_hydrogens, retype, {}));
      },
      py::arg("text"), py::arg("file"), py::arg("format"), py::arg("add_hydrogens"),
      py::arg("retype"), "The (request, title) of each record of a chemistry file's text.");
  module.def("molecule_request", &molecule_request, py::arg("coordinates"), py::arg("types"),
             py::arg("bonds"), py::arg("elements"), "The request of a molecule's arrays.");
  module.def(
      "refused_request",
      [](const std::string& error, bool skipped) {
        using tools::Outcome;
        return py::bytes(refused_request(error, skipped ? Outcome::skipped : Outcome::input_error));
      },
      py::arg("error"), py::arg("skipped"),
      "A request answered by the refusal: skipped (not prepared) or an input error.");
  module.def("answers", &answers, py::arg("answer"),
             "The molecules of an answer, with the fields of the single calls.");
  module.def("read_request", &read_molecules, py::arg("request"),
             "The molecules of a record request, read and prepared in this process.");
  module.def("run_batch", &run_batch, py::arg("next"), py::arg("take"), py::arg("workers"),
             py::arg("timeout_seconds"), py::arg("settings"),
             "The requests of next() on isolated worker processes, answers to take() in order.");
}

} // namespace bindings
