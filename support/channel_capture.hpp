// Points the output units 6, 8 and 9 at memory for the life of the object.
#pragma once

#include <string>

namespace test_support {

class ChannelCapture {
public:
  ChannelCapture();
  ~ChannelCapture();
  ChannelCapture(const ChannelCapture&) = delete;
  ChannelCapture& operator=(const ChannelCapture&) = delete;

  // Each returns what its unit received, after handing over what is still collected.
  std::string stdout_text() const;
  std::string listing() const;
  std::string trace() const;

private:
  std::string out_;
  std::string listing_;
  std::string trace_;
};

} // namespace test_support
