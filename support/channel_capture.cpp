#include "support/channel_capture.hpp"

#include <string_view>

#include "common/channels.hpp"

namespace test_support {

namespace {

common::UnitSink append_to(std::string& text) {
  return [&text](std::string_view chunk) { text += chunk; };
}

const std::string& flushed(int unit, const std::string& text) {
  common::flush_unit(unit);
  return text;
}

} // namespace

ChannelCapture::ChannelCapture() {
  common::redirect_unit(common::stdout_unit, append_to(out_));
  common::redirect_unit(common::listing_unit, append_to(listing_));
  common::redirect_unit(common::trace_unit, append_to(trace_));
}

ChannelCapture::~ChannelCapture() {
  common::redirect_unit(common::stdout_unit, nullptr);
  common::redirect_unit(common::listing_unit, nullptr);
  common::redirect_unit(common::trace_unit, nullptr);
}

std::string ChannelCapture::stdout_text() const { return flushed(common::stdout_unit, out_); }
std::string ChannelCapture::listing() const { return flushed(common::listing_unit, listing_); }
std::string ChannelCapture::trace() const { return flushed(common::trace_unit, trace_); }

} // namespace test_support
