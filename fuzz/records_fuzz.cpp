// The record splitter of the companion tools on arbitrary bytes, in every layout (the first byte
// picks it): reading ends, the records are numbered 1, 2, 3, ... in the order of their first
// lines, every record the checks accept has no over-long line, and a record that is taken has
// no damage text.
#include <sstream>

#include "fuzz/harness.hpp"
#include "tools/formats/file_records.hpp"

namespace {

constexpr tools::RecordLayout layouts[] = {tools::RecordLayout::sdf,    tools::RecordLayout::mol2,
                                           tools::RecordLayout::pdb,    tools::RecordLayout::xyz,
                                           tools::RecordLayout::smiles, tools::RecordLayout::whole};
constexpr std::size_t layout_count = sizeof(layouts) / sizeof(layouts[0]);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const tools::RecordLayout layout = layouts[data[0] % layout_count];
  std::istringstream in(fuzz::as_text(data + 1, size - 1));
  tools::RecordReader reader(in, layout);
  int index = 0;
  int line = 0;
  while (const auto record = reader.next()) {
    fuzz::require(record->index == ++index, "records are not numbered in order");
    fuzz::require(record->first_line > line, "a record starts before the one before it");
    line = record->first_line;
    fuzz::require(!record->text.empty(), "a record without text");
    if (record->damage.empty())
      for (std::size_t from = 0, end = 0; from < record->text.size(); from = end + 1) {
        end = record->text.find('\n', from);
        fuzz::require(end != std::string::npos, "a line of a record has no line feed");
        fuzz::require(end - from <= tools::RecordReader::max_line_length,
                      "an accepted record has an over-long line");
      }
  }
  return 0;
}
