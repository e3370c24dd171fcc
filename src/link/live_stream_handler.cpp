// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/live_stream_handler.h"

#include "link/serial_port.h"
#include "signal/channel_setup.h"
#include "signal/processing_chain.h"

namespace k470 {

size_t SerialPortByteSource::queued() {
    uint32_t count = 0;
    return port_.QueueStatus(count) ? count : 0;
}

size_t SerialPortByteSource::read(uint8_t* buffer, size_t n) {
    size_t got = 0;
    while (got < n) {
        const IoResult r = port_.Read(buffer + got, n - got, nullptr, kReadLimitMs);
        got += r.count;
        if (r.status != IoResult::Done || r.count == 0) break;
    }
    return got;
}

LiveStreamHandler::LiveStreamHandler(LiveStreamDeps deps) : deps_(std::move(deps)) {
    if (!deps_.renewSetup) {
        deps_.renewSetup = [](SignalState& state) {
            ChannelSetupSource source;
            source.deviceType = kStreamDeviceType;
            applyChannelSetup(state, source);
        };
    }
}

bool LiveStreamHandler::OnStreamTick(SerialPort& port) {
    SerialPortByteSource source(port);
    lastTick_ = ReadStream(source, stream_, deps_.state, deps_.library, deps_.chain, deps_.signalLock,
                           deps_.renewSetup);
    samples_ += lastTick_.samples;
    return lastTick_.data;
}

}  // namespace k470
