// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/device_link.h"

#include <algorithm>

namespace k470 {

void DeviceLink::Open(OpenMode mode) {
    const bool enumerate = mode == OpenMode::Enumerate;
    if (IsOpen()) Close(enumerate ? CloseMode::Release : CloseMode::KeepDevice);
    if (enumerate) {
        for (const std::string& device : provider_.List()) {
            if (auto p = provider_.Open(device)) {
                port_ = std::move(p);
                break;
            }
        }
    }
    if (!port_) return;
    // The results of the set-up are not examined: a pseudo-terminal, for one, has no modem lines.
    port_->SetLine8N1();
    port_->SetBaudRate(baudRate_);
    port_->SetFlowControl(FlowControl::None);
    port_->SetRts(true);
    StartWorkers();
}

void DeviceLink::Close(CloseMode mode) {
    StopWorkers();
    std::lock_guard lock(closeMutex_);
    if (mode == CloseMode::Release) port_.reset();
}

void DeviceLink::TransportWrite(const uint8_t* bytes, size_t n, const StopSignal& stop) {
    port_->Write(bytes, n, &stop, -1);
}

size_t DeviceLink::TransportRead(uint8_t* buffer, size_t capacity, const StopSignal& stop) {
    // Ask for exactly what the driver holds, so that the read completes at once; when the count cannot be
    // had, ask for 930 bytes and take what comes first.
    uint32_t count = 930;
    port_->QueueStatus(count);
    if (count == 0) {
        stop.WaitFor(3);
        return 0;
    }
    IoResult r = port_->Read(buffer, std::min<size_t>(count, capacity), &stop, -1);
    if (r.status == IoResult::Failed && r.count == 0) stop.WaitFor(3);  // device gone: do not spin
    return r.count;
}

}  // namespace k470
