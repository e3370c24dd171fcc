// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/live_stream_handler.h"

#include "signal/channel_setup.h"
#include "signal/processing_chain.h"

namespace k470 {

LiveStreamHandler::LiveStreamHandler(LiveStreamDeps deps) : deps_(std::move(deps)) {
    if (!deps_.renewSetup) {
        deps_.renewSetup = [](SignalState& state) {
            ChannelSetupSource source;
            source.deviceType = kStreamDeviceType;
            applyChannelSetup(state, source);
        };
    }
}

LiveStreamHandler::~LiveStreamHandler() {
    reader_.Stop();
}

bool LiveStreamHandler::StartStream(SerialPort& port) {
    reader_.Start(port);
    return true;
}

bool LiveStreamHandler::OnStreamTick(SerialPort& /*port: the reader holds it*/) {
    lastTick_ = ReadStream(reader_, stream_, deps_.state, deps_.library, deps_.chain, deps_.signalLock,
                           deps_.renewSetup);
    samples_ += lastTick_.samples;
    return lastTick_.data;
}

void LiveStreamHandler::StopStream() {
    reader_.Stop();
}

uint64_t LiveStreamHandler::framesLost() const {
    return (reader_.bytesLost() + kStreamFrameBytes - 1) / kStreamFrameBytes;
}

}  // namespace k470
