#include "support/channel_capture.hpp"

#include "common/channels.hpp"

namespace test_support {

ChannelCapture::ChannelCapture() {
  common::redirect_unit(common::stdout_unit, &out_);
  common::redirect_unit(common::listing_unit, &listing_);
  common::redirect_unit(common::trace_unit, &trace_);
}

ChannelCapture::~ChannelCapture() {
  common::redirect_unit(common::stdout_unit, nullptr);
  common::redirect_unit(common::listing_unit, nullptr);
  common::redirect_unit(common::trace_unit, nullptr);
}

} // namespace test_support
