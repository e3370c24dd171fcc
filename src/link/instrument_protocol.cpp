// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/instrument_protocol.h"

#include <cmath>
#include <string>

#include "base/byte_order.h"
#include "base/number_format.h"
#include "link/device_link.h"
#include "link/tele_link.h"

namespace k470 {

namespace {

// The wake-up byte is sent with DTR held low; the line stays low a little longer so the instrument sees the
// pulse before DTR returns.
constexpr uint32_t kLinePulseHoldMs = 10;
// Between the five register writes of a calibration offset: the instrument takes one write at a time.
constexpr uint32_t kRegisterWriteGapMs = 1;

}  // namespace

std::array<Command, 5> CalibrationOffsetCommands(int channel, double offsetDb) {
    const auto w = static_cast<uint16_t>(encodeOffset(offsetDb));
    return {RegisterWrite(0xC, w & 0xF), RegisterWrite(0xD, (w >> 4) & 0xF),
            RegisterWrite(0xE, (w >> 8) & 0xF), RegisterWrite(0xF, (w >> 12) & 0xF),
            RegisterWrite(0, static_cast<unsigned>((channel - 5) % 16 + 16) % 16)};
}

double parseCalibrationText(std::string_view text) {
    size_t b = 0;
    while (b < text.size() && (text[b] == ' ' || text[b] == '\t')) ++b;
    // The longest prefix that reads as a number.
    for (size_t e = text.size(); e > b; --e) {
        double v = 0;
        if (parseDouble(text.substr(b, e - b), v)) return std::isfinite(v) ? v : 0.0;
    }
    return 0.0;
}

std::optional<Identification> ReadIdentification(std::span<const uint8_t> m) {
    if (m.size() < kStatusVinOffset + 4) return std::nullopt;
    return Identification{readU16(m.data() + kStatusTypeOffset), readU32(m.data() + kStatusVinOffset)};
}

StatusLayout statusLayout(DeviceType type) {
    switch (resultGroup(type)) {
        case ResultGroup::None:
            return StatusLayout::None;
        case ResultGroup::Vibration:  // three channel slots, also for the single-channel vibration meters
            return StatusLayout::ThreeChannel;
        default:
            return StatusLayout::SingleChannel;
    }
}

size_t resultBlockOffset(StatusLayout layout) {
    return layout == StatusLayout::ThreeChannel ? 32 : 22;
}

bool keepsRangeIndex(DeviceType type) {
    return statusLayout(type) != StatusLayout::None && !isThreeChannelType(type);
}

void ApplyStatusMessage(std::span<const uint8_t> m, AcquiredValues& values) {
    const size_t n = m.size();
    const uint8_t* p = m.data();
    auto has = [&](size_t offset, size_t size) { return offset + size <= n; };
    if (has(kStatusRunningOffset, 2)) values.running = readU16(p + kStatusRunningOffset) != 0;
    if (!has(kStatusTypeOffset, 2)) return;
    const DeviceType type = readU16(p + kStatusTypeOffset);
    MeasurementRecord& r = values.record;
    const StatusLayout layout = statusLayout(type);
    // A message of another layout than the record's would put foreign words into it.
    if (layout == StatusLayout::None || type != r.header.deviceType) {
        auto dims = lookupRecordDimensions(type);
        if (!dims || dims->group != r.dimensions.group || dims->wordCount != r.dimensions.wordCount) return;
    }
    const int channels = layout == StatusLayout::ThreeChannel ? 3 : 1;
    for (int ch = 0; ch < channels; ++ch) {
        const size_t o1 = 14 + 2 * static_cast<size_t>(ch);
        const size_t o2 = o1 + 2 * static_cast<size_t>(channels);
        const size_t oc = o1 + 4 * static_cast<size_t>(channels);
        if (has(o1, 2)) r.trailer.overloadStatus[ch] = readU16(p + o1);
        if (has(o2, 2)) r.trailer.underrangeStatus[ch] = readU16(p + o2);
        if (has(oc, 2)) r.trailer.calibrationOffset[ch] = decodeOffset(readI16(p + oc));
    }
    // The record's type decides whether it keeps a range (a message of a like layout may be of another type),
    // and an index beyond the instrument's ranges is not stored.
    if (keepsRangeIndex(r.header.deviceType) && has(kStatusRangeOffset, 1) &&
        p[kStatusRangeOffset] < kMeasuringRanges)
        r.tail.rangeIndex = p[kStatusRangeOffset];
    const size_t block = resultBlockOffset(layout);
    const bool field = r.dimensions.group == ResultGroup::FieldStrength;
    for (size_t i = 0; i < r.levels.size() && has(block + 2 * i, 2); ++i) {
        if (field && isSkippedFieldStrengthWord(static_cast<int>(i))) continue;
        r.levels[i] = decodeLevel(readU16(p + block + 2 * i));
    }
}

std::vector<uint8_t> EncodeStatusMessage(const AcquiredValues& values) {
    const MeasurementRecord& r = values.record;
    const DeviceType type = r.header.deviceType;
    const StatusLayout layout = statusLayout(type);
    const size_t block = resultBlockOffset(layout);
    std::vector<uint8_t> m(layout == StatusLayout::None ? 14 : block + 2 * r.levels.size(), 0);
    writeU16(m.data() + kStatusTypeOffset, type);
    writeU16(m.data() + kStatusRunningOffset, values.running ? 1 : 0);
    m[kStatusRangeOffset] = static_cast<uint8_t>(r.tail.rangeIndex);
    writeU32(m.data() + kStatusVinOffset, r.header.vin);
    if (layout == StatusLayout::None) return m;
    const size_t channels = layout == StatusLayout::ThreeChannel ? 3 : 1;
    for (size_t ch = 0; ch < channels; ++ch) {
        writeU16(m.data() + 14 + 2 * ch, r.trailer.overloadStatus[ch]);
        writeU16(m.data() + 14 + 2 * (channels + ch), r.trailer.underrangeStatus[ch]);
        writeI16(m.data() + 14 + 2 * (2 * channels + ch), encodeOffset(r.trailer.calibrationOffset[ch]));
    }
    for (size_t i = 0; i < r.levels.size(); ++i) writeU16(m.data() + block + 2 * i, encodeLevel(r.levels[i]));
    return m;
}

InstrumentCommands::InstrumentCommands(DeviceLink& usb, TeleLink& tele, Sleep sleep)
    : usb_(usb), tele_(tele), sleep_(std::move(sleep)) {}

bool InstrumentCommands::AnyLinkOpen() const {
    return usb_.IsOpen() || tele_.IsConnected();
}

bool InstrumentCommands::SendCommand(const uint8_t* bytes, size_t n, int timeoutMs) {
    if (usb_.IsOpen() && !usb_.WorkersRunning()) {
        // The device is held without the link's threads (stream mode, or between the steps of the connect
        // sequence): nobody would take a posted write, which would then block every later command. The
        // command goes to the device directly.
        usb_.port()->Write(bytes, n, nullptr, timeoutMs);
        return true;
    }
    MessageLink* link = usb_.IsOpen() ? static_cast<MessageLink*>(&usb_)
                                      : (tele_.IsConnected() ? static_cast<MessageLink*>(&tele_) : nullptr);
    if (!link) return false;
    // A write still pending makes the link refuse this one; the command is then lost, as the instrument
    // protocol has no acknowledgement to tell.
    if (link->Post(bytes, n)) link->WaitWriteDone(timeoutMs);
    return true;
}

void InstrumentCommands::LinePulse(uint8_t byte) {
    if (!usb_.IsOpen()) return;
    SerialPort* port = usb_.port();
    port->SetDtr(false);
    usb_.PostAndWait(&byte, 1);
    sleep_(kLinePulseHoldMs);
    port->SetDtr(true);
}

void InstrumentCommands::SelectRange(int range) {
    SendCommand(RangeCommand(range));
}

void InstrumentCommands::SetCalibrationOffset(int channel, double offsetDb) {
    if (!AnyLinkOpen()) return;
    for (const Command& c : CalibrationOffsetCommands(channel, offsetDb)) {
        SendCommand(c);
        sleep_(kRegisterWriteGapMs);
    }
}

}  // namespace k470
