// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/acquisition_controller.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "base/byte_order.h"
#include "base/lexicon.h"
#include "base/named_event.h"
#include "base/number_format.h"
#include "base/settings_store.h"
#include "data/device_type.h"
#include "link/device_link.h"
#include "link/tele_link.h"

namespace k470 {

namespace {

constexpr std::array<uint8_t, 10> kNoComment = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
// How long the direct read of the stream probe may take; at 3,000,000 baud 32 KB take about 0.1 s.
constexpr int kProbeReadLimitMs = 1000;

// Waits of the connect sequence. A started instrument sends a status message every 30 ms.
// After a link is (re)opened: its worker threads start and the adapter passes on what the instrument had
// queued, so the stream probe sees a full queue and stale messages can be discarded in one go.
constexpr uint32_t kSettleAfterOpenMs = 100;
// After "start" over WiFi: the adapter relays the first status messages (some 30 at 30 ms each); none
// within a second means no instrument answers.
constexpr uint32_t kTeleAnswerWaitMs = 1000;
// After a wake-up pulse and a start command: the instrument takes the command before the next pulse.
constexpr uint32_t kWakeUpGapMs = 10;
// Messages are counted for one second (some 33 at 30 ms each), then one more must come within a second to
// show that the instrument kept sending.
constexpr uint32_t kCountWindowMs = 1000;
constexpr uint32_t kStillTalkingMs = 1000;
// Between two looks at an empty message queue: short against the 30 ms between messages.
constexpr uint32_t kQueuePollMs = 1;
// After the reset and start commands that begin an autorecording: the instrument restarts its measurement
// before the first record is taken.
constexpr uint32_t kRestartSettleMs = 100;

// Progress bar positions (0..100) of the connect sequence: each marks a step, roughly in proportion to the
// time the slowest path (USB, about 4.2 s) has spent up to it.
constexpr int kProgressStart = 0;
constexpr int kProgressLinkOpen = 3;
constexpr int kProgressStartSent = 6;
constexpr int kProgressTeleAnswered = 39;
constexpr int kProgressFirstCount = 56;
constexpr int kProgressCounted = 100;

uint32_t intervalSeconds(uint32_t packed) {
    return (packed >> 16) * 3600 + ((packed >> 8) & 0xFF) * 60 + (packed & 0xFF);
}

uint32_t packInterval(uint32_t seconds) {
    const uint32_t h = std::min<uint32_t>(seconds / 3600, 0xFFFE);  // never all ones, which means unset
    return h << 16 | ((seconds / 60) % 60) << 8 | (seconds % 60);
}

// "Type name (VIN: 00A1B2C3)"
std::string titleFor(DeviceType type, uint32_t vin) {
    std::string vinText;
    appendHex8(vinText, vin);
    return deviceTypeName(type) + " (VIN: " + vinText + ")";
}

}  // namespace

bool looksLikeRawStream(std::span<const uint8_t> b) {
    size_t i = 0;
    uint32_t run = 0;
    while (i < b.size()) {
        if (b[i] == 0xAA || b[i] == 0xBB) {
            i += 4;
            ++run;
        } else {
            i += 1;
            run = 0;
        }
    }
    return run > 700;
}

AcquisitionController::AcquisitionController(AcquisitionDeps deps, AcquisitionView& view)
    : deps_(std::move(deps)), view_(view), commands_(deps_.usb, deps_.tele, deps_.sleep) {
    if (!deps_.now) deps_.now = localTimeNow;
    comment_ = kNoComment;
}

AcquisitionController::~AcquisitionController() {
    StopAcquisition();
}

MessageLink* AcquisitionController::chosenLink() {
    return linkKind_ == LinkKind::WiFi ? static_cast<MessageLink*>(&deps_.tele) : &deps_.usb;
}

void AcquisitionController::Fail(const std::string& message, bool stop) {
    view_.ShowProgress(false);
    view_.ShowMessage(message);
    if (stop) StopAcquisition();
}

bool AcquisitionController::StartAcquisition() {
    if (recording_ == Recording::Active && !view_.AskYesNo(lexicon().text(Word::StopAutorecording)))
        return false;
    StopAcquisition();
    window_ = InstrumentWindow::Acquiring;
    DeviceType hint = 0;
    if (!ConnectInstrument(hint)) {
        window_ = InstrumentWindow::Closed;
        return false;
    }
    if (hint == kStreamDeviceType) {
        deviceType_ = kStreamDeviceType;
        vin_ = 0;  // a stream carries no identification
    } else {
        // The buffer starts zeroed, so a first message shorter than the header gives zeros, not leftovers.
        uint8_t first[kIdentificationSize] = {};
        chosenLink()->Receive(first, sizeof first);
        deviceType_ = readU16(first + kStatusTypeOffset);
        vin_ = readU32(first + kStatusVinOffset);
    }
    baseTitle_ = titleFor(deviceType_, vin_);
    view_.SetTitle(baseTitle_);

    if (deviceType_ == kStreamDeviceType && streamHandler_) {
        // Stream mode: the raw samples are read on the tick by the stream handler.
        if (!streamHandler_->StartStream(*deps_.usb.port())) {
            StopAcquisition();
            return false;
        }
        streaming_ = true;
    } else {
        auto blank = MeasurementRecord::blank(deviceType_);
        if (!blank) {
            Fail(blank.error().message, true);
            return false;
        }
        values_ = AcquiredValues{std::move(*blank), false};
        values_.record.header.vin = vin_;
    }
    comment_ = kNoComment;
    values_.record.header.recordComment = kNoComment;
    values_.record.tail.charTable = 1;
    values_.record.tail.rangeIndex = 0;
    interval_ = kIntervalUnset;
    intervalAtStart_ = kIntervalUnset;
    runningMark_ = false;
    recording_ = Recording::Off;
    if (deps_.autoSaveEvent) deps_.autoSaveEvent->Reset();
    view_.OpenPages(deviceType_);
    view_.SetTimerRunning(true);
    PublishCommands();
    return true;
}

bool AcquisitionController::ConnectInstrument(DeviceType& hint) {
    hint = 0;
    view_.ShowProgress(true);
    view_.SetProgress(kProgressStart);
    deps_.tele.Close();
    deps_.usb.Close(DeviceLink::CloseMode::Release);
    linkKind_ = readLinkKind(deps_.settings);
    bool ok = linkKind_ == LinkKind::WiFi ? ConnectTele(hint) : ConnectUsb(hint);
    view_.ShowProgress(false);
    return ok;
}

bool AcquisitionController::ConnectTele(DeviceType& hint) {
    TeleEndpoint endpoint = readTeleEndpoint(deps_.settings);
    endpoint.port = deps_.telePort;
    deps_.tele.Connect(endpoint);
    if (!deps_.tele.IsConnected()) {
        Fail(lexicon().text(Word::CantFoundTeleAdapter), false);
        return false;
    }
    view_.SetProgress(kProgressLinkOpen);
    deps_.sleep(kSettleAfterOpenMs);
    deps_.tele.DiscardMessages();
    view_.SetProgress(kProgressStartSent);
    commands_.SendCommand(kStartCommand);
    deps_.sleep(kTeleAnswerWaitMs);
    view_.SetProgress(kProgressTeleAnswered);
    if (!deps_.tele.HasMessages()) {
        Fail(lexicon().text(Word::CantFoundDevice), true);
        return false;
    }
    hint = 0;
    return true;
}

bool AcquisitionController::ReopenFast() {
    deps_.usb.Close(DeviceLink::CloseMode::Release);
    deps_.usb.SetBaudRate(DeviceLink::kFastBaudRate);
    deps_.usb.Open(DeviceLink::OpenMode::Enumerate);
    if (!deps_.usb.IsOpen()) return false;
    deps_.usb.port()->SetRts(true);
    deps_.usb.port()->SetDtr(true);
    return true;
}

int AcquisitionController::CountMessages() {
    DeviceLink& link = deps_.usb;
    int count = 0;
    uint8_t small[4];
    const uint32_t t0 = deps_.clock.nowMs();
    while (deps_.clock.nowMs() - t0 < kCountWindowMs) {
        if (link.HasMessages()) {
            link.Receive(small, sizeof small);
            ++count;
        } else {
            deps_.sleep(kQueuePollMs);
        }
    }
    if (count == 0) return 0;
    // The instrument must still be talking: one more message within a second.
    const uint32_t t1 = deps_.clock.nowMs();
    while (!link.HasMessages()) {
        if (deps_.clock.nowMs() - t1 >= kStillTalkingMs) return 0;
        deps_.sleep(kQueuePollMs);
    }
    return count;
}

bool AcquisitionController::ConnectUsb(DeviceType& hint) {
    DeviceLink& usb = deps_.usb;
    usb.Open(DeviceLink::OpenMode::Enumerate);
    if (!usb.IsOpen()) {
        Fail(lexicon().text(Word::CantFoundTeleAdapter), false);
        return false;
    }
    view_.SetProgress(kProgressLinkOpen);
    if (!ReopenFast()) {  // the device went away between the two opens
        Fail(lexicon().text(Word::CantFoundTeleAdapter), false);
        return false;
    }
    usb.Close(DeviceLink::CloseMode::KeepDevice);
    deps_.sleep(kSettleAfterOpenMs);

    // Stream probe: an instrument already sending raw samples has filled the driver's queue.
    SerialPort& port = *usb.port();
    uint32_t queued = 0;
    if (port.QueueStatus(queued) && queued > kStreamProbeThreshold) {
        std::vector<uint8_t> probe(std::min(queued, kStreamProbeSize));
        size_t got = 0;
        const uint32_t t0 = deps_.clock.nowMs();
        while (got < probe.size() && deps_.clock.nowMs() - t0 < static_cast<uint32_t>(kProbeReadLimitMs)) {
            IoResult r = port.Read(probe.data() + got, probe.size() - got, nullptr, kProbeReadLimitMs);
            got += r.count;
            if (r.status != IoResult::Done) break;
        }
        if (looksLikeRawStream(std::span(probe.data(), got))) {
            port.SetRts(true);
            port.SetFlowControl(FlowControl::RtsCts);
            hint = kStreamDeviceType;
            return true;
        }
    }

    usb.Open(DeviceLink::OpenMode::ReuseHeld);
    if (!ReopenFast()) {
        Fail(lexicon().text(Word::CantFoundTeleAdapter), false);
        return false;
    }
    commands_.LinePulse(kWakeUpByte);
    commands_.SendCommand(kStartCommand);
    deps_.sleep(kWakeUpGapMs);
    commands_.LinePulse(kSecondWakeUpByte);
    commands_.SendCommand(kStartCommand);
    deps_.sleep(kWakeUpGapMs);
    view_.SetProgress(kProgressStartSent);
    int count = CountMessages();
    view_.SetProgress(kProgressFirstCount);
    if (count == 0) {  // a sleeping instrument may need a second wake-up
        commands_.LinePulse(kWakeUpByte);
        deps_.sleep(kWakeUpGapMs);
        count = CountMessages();
    }
    view_.SetProgress(kProgressCounted);
    if (count == 0) {
        Fail(lexicon().text(Word::CantFoundDevice), true);
        return false;
    }
    usb.port()->SetRts(true);
    usb.port()->SetFlowControl(FlowControl::RtsCts);
    hint = 0;
    return true;
}

void AcquisitionController::ApplyRunningTime(bool running) {
    const uint32_t now = deps_.clock.nowMs();
    // The state changes before the view hears of it, so that a view reading it back sees the new state.
    const bool changed = running != startStopChecked_;
    startStopChecked_ = running;
    if (changed) view_.SetStartStopChecked(running);
    if (running) {
        if (!runningMark_ || intervalAtStart_ == kIntervalUnset) {
            runningStartTick_ = now;
            intervalAtStart_ = interval_;
        }
        if (interval_ != kIntervalUnset) {
            const auto elapsed = static_cast<uint32_t>(std::floor((now - runningStartTick_) / 1000.0 + 0.5));
            interval_ = packInterval(intervalSeconds(intervalAtStart_) + elapsed);
            runningMark_ = true;
        }
    } else {
        runningMark_ = false;
    }
}

void AcquisitionController::OnAcquisitionTimer() {
    if (window_ != InstrumentWindow::Acquiring) return;
    if (recording_ == Recording::Armed && deps_.autoSaveEvent && deps_.autoSaveEvent->IsSet()) {
        BeginRecording();
        if (recording_ != Recording::Active) return;
    }
    if (streaming_) {
        SerialPort* port = deps_.usb.port();
        if (streamHandler_ && port && streamHandler_->OnStreamTick(*port)) view_.NewData();
        return;
    }
    MessageLink* link = chosenLink();
    // The messages that came before the end are taken first; then the closed connection is reported at
    // once, instead of showing frozen values (the records written so far stay).
    if (linkKind_ == LinkKind::WiFi && !link->HasMessages() && deps_.tele.PeerClosed()) {
        Fail(lexicon().text(Word::ConnectionClosed), true);
        return;
    }
    std::vector<uint8_t>& buffer = messageBuffer_;
    for (int i = 0; i < kMessagesPerTick && window_ == InstrumentWindow::Acquiring && link->HasMessages();
         ++i) {
        const uint32_t n = link->Receive(buffer.data(), static_cast<uint32_t>(buffer.size()));
        std::span<const uint8_t> message(buffer.data(), n);
        view_.SetStatusText(lexicon().text(Word::DataTele));
        // A message too short for the running word leaves the running state as it was.
        const bool running = n >= kStatusRunningOffset + 2
                                 ? readU16(buffer.data() + kStatusRunningOffset) != 0
                                 : values_.running;
        ApplyRunningTime(running);
        ApplyStatusMessage(message, values_);
        view_.NewData();
        if (recording_ == Recording::Active && deps_.clock.nowMs() - nextSaveTick_ >= savingPeriodMs_) {
            nextSaveTick_ += savingPeriodMs_;
            if (!WriteRecordingRecord()) return;
            ++recordsWritten_;
            std::string title = baseTitle_ + " (" + lexicon().text(Word::Autorecording) + " ";
            appendInt(title, static_cast<long long>(recordsWritten_) * 100 / recordsWanted_);
            title += "%)";
            view_.SetTitle(title);
            if (recordsWritten_ >= recordsWanted_) EndRecording();
        }
    }
}

void AcquisitionController::StopAcquisition() {
    view_.SetTimerRunning(false);
    if (streaming_ && streamHandler_) streamHandler_->StopStream();
    streaming_ = false;
    if (deps_.usb.IsOpen()) {
        commands_.SendCommand(kStopCommand);
        deps_.usb.Close(DeviceLink::CloseMode::Release);
    }
    if (deps_.tele.IsConnected()) {
        commands_.SendCommand(kStopCommand);
        deps_.tele.Close();
    }
    const bool wasShowing = window_ == InstrumentWindow::Acquiring;
    if (wasShowing) view_.AcquisitionEnded();
    if (recordingFile_) {
        // Every record went to the disk when it was written, so closing cannot lose one.
        [[maybe_unused]] Status closed = recordingFile_->Close();
        recordingFile_.reset();
    }
    if (recording_ != Recording::Off) view_.SetTitle(baseTitle_);
    recording_ = Recording::Off;
    if (deps_.autoSaveEvent) deps_.autoSaveEvent->Reset();
    window_ = InstrumentWindow::Closed;
    view_.SetCommands(AcquisitionCommands{});
}

MeasurementRecord AcquisitionController::currentRecord() const {
    MeasurementRecord r = values_.record;
    r.header.recordComment = comment_;
    r.header.vin = vin_;
    r.header.deviceType = deviceType_;
    r.tail.charTable = 1;
    if (interval_ == kIntervalUnset) {
        r.tail.intervalSeconds = r.tail.intervalMinutes = r.tail.intervalHours = 255;
    } else {
        r.tail.intervalSeconds = static_cast<uint16_t>(interval_ & 0xFF);
        r.tail.intervalMinutes = static_cast<uint16_t>((interval_ >> 8) & 0xFF);
        r.tail.intervalHours = static_cast<uint16_t>(interval_ >> 16);
    }
    return r;
}

Status AcquisitionController::SaveAsBinary(const std::string& path) {
    if (window_ != InstrumentWindow::Acquiring || streaming_) return fail(lexicon().text(Word::NoSourceData));
    return WriteSingleRecordFile(path, currentRecord(), deps_.now());
}

Status AcquisitionController::CheckRecordingParameters(const RecordingParameters& p) {
    if (p.records <= 0 || p.records > kMaxRecords || p.periodSeconds < 1 ||
        static_cast<uint32_t>(p.periodSeconds) > kMaxPeriodSeconds)
        return fail(lexicon().text(Word::ErrorInParameters));
    return {};
}

Status AcquisitionController::StartRecording(const RecordingParameters& p, const std::string& path) {
    if (window_ != InstrumentWindow::Acquiring || streaming_ || recording_ != Recording::Off)
        return fail(lexicon().text(Word::NoSourceData));
    if (auto s = CheckRecordingParameters(p); !s) return s;
    if (p.externalTrigger && !deps_.autoSaveEvent) return fail(lexicon().text(Word::ErrorInParameters));
    auto file = BinFileAppender::Create(path);
    if (!file) return file.error();
    recordingFile_.emplace(std::move(*file));
    savingPeriodMs_ = static_cast<uint32_t>(p.periodSeconds) * 1000u;
    recordsWanted_ = static_cast<uint32_t>(p.records);
    recordsWritten_ = 0;
    markerCount_ = 0;
    comment_ = kNoComment;
    if (p.externalTrigger) {
        recording_ = Recording::Armed;
    } else {
        if (deps_.autoSaveEvent) deps_.autoSaveEvent->Set();
        BeginRecording();
    }
    view_.SetTitle(baseTitle_ + " (" + lexicon().text(Word::Autorecording) + " 0%)");
    PublishCommands();
    return {};
}

// Resets the instrument's measurement, starts it when it is not running, and takes the first record one
// period from now.
void AcquisitionController::BeginRecording() {
    commands_.SendCommand(kResetCommand);
    interval_ = 0;
    intervalAtStart_ = kIntervalUnset;
    if (!startStopChecked_) commands_.SendCommand(kStartStopCommand);
    deps_.sleep(kRestartSettleMs);
    recording_ = Recording::Active;
    nextSaveTick_ = deps_.clock.nowMs();
}

bool AcquisitionController::WriteRecordingRecord() {
    Status s = recordingFile_->Append(currentRecord(), deps_.now());
    comment_ = kNoComment;
    if (s) return true;
    // The record did not reach the file: the recording ends here and says so, instead of counting it.
    EndRecording();
    view_.ShowMessage(s.error().message);
    return false;
}

void AcquisitionController::EndRecording() {
    recording_ = Recording::Off;
    if (deps_.autoSaveEvent) deps_.autoSaveEvent->Reset();
    view_.SetTitle(baseTitle_);
    if (recordingFile_) {
        Status s = recordingFile_->Close();
        recordingFile_.reset();
        if (!s) view_.ShowMessage(s.error().message);
    }
    PublishCommands();
}

void AcquisitionController::StopRecording() {
    if (recording_ == Recording::Active) {
        if (!WriteRecordingRecord()) return;
        ++recordsWritten_;
    }
    if (recording_ != Recording::Off) EndRecording();
}

void AcquisitionController::SetMarker() {
    if (recording_ == Recording::Off) return;
    ++markerCount_;
    const int tens = (markerCount_ / 10) % 10, units = markerCount_ % 10;
    comment_ = {'M',
                'A',
                'R',
                'K',
                'E',
                'R',
                0xFF,
                static_cast<uint8_t>(0xF5 + tens),
                static_cast<uint8_t>(0xF5 + units),
                0xFF};
}

void AcquisitionController::Reset() {
    commands_.SendCommand(kResetCommand);
    interval_ = 0;
    intervalAtStart_ = kIntervalUnset;
    if (recording_ == Recording::Active) StopRecording();
}

void AcquisitionController::StartStop() {
    commands_.SendCommand(kStartStopCommand);
}

void AcquisitionController::SelectRange(int range) {
    commands_.SelectRange(range);
}

void AcquisitionController::SetCalibrationOffset(int channel, double offsetDb) {
    commands_.SetCalibrationOffset(channel, offsetDb);
}

void AcquisitionController::PublishCommands() {
    AcquisitionCommands c;
    if (window_ == InstrumentWindow::Acquiring) {
        const bool recordable = !streaming_;
        c.reset = c.startStop = true;
        c.saveAsBinary = recordable;
        c.startRecording = recordable && recording_ == Recording::Off;
        c.stopRecording = recording_ != Recording::Off;
        c.setMarker = c.markerButtonVisible = recording_ != Recording::Off;
        c.startStopBoxVisible = true;
    }
    view_.SetCommands(c);
}

}  // namespace k470
