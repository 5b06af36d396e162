// Points the output units 6, 8 and 9 at memory for the life of the object.
#pragma once

#include <sstream>
#include <string>

namespace test_support {

class ChannelCapture {
public:
  ChannelCapture();
  ~ChannelCapture();
  ChannelCapture(const ChannelCapture&) = delete;
  ChannelCapture& operator=(const ChannelCapture&) = delete;

  std::string stdout_text() const { return out_.str(); }
  std::string listing() const { return listing_.str(); }
  std::string trace() const { return trace_.str(); }

private:
  std::ostringstream out_;
  std::ostringstream listing_;
  std::ostringstream trace_;
};

} // namespace test_support
