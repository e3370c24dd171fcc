// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame/instrument_source.h"

#include <charconv>

#include "base/lexicon.h"

namespace k470::app {

namespace {

bool parseWhole(std::string_view text, long long& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && r.ec == std::errc() && r.ptr == text.data() + text.size();
}

}  // namespace

bool InstrumentAllows(const AcquisitionCommands& reported, bool pagesShown, Command command) {
    switch (command) {
        case Command::Reset:
            return reported.reset;
        case Command::StartStop:
            return reported.startStop;
        case Command::SaveAsBinary:
            return reported.saveAsBinary && pagesShown;
        case Command::SaveAsText:
            return reported.saveAsText;
        case Command::StartRecording:
            return reported.startRecording;
        case Command::StopRecording:
            return reported.stopRecording;
        case Command::SetMarker:
            return reported.setMarker;
        case Command::Misc:
        case Command::CopyToClipboard:
            return pagesShown;
        case Command::SignalFiltration:
            return false;
        default:
            return IsGlobalCommand(command);
    }
}

std::optional<bool> StreamAllows(bool streaming, bool recording, Command command) {
    switch (command) {
        case Command::StartRecording:
            return streaming && !recording;
        case Command::StopRecording:
        case Command::SetMarker:
            return recording;
        default:
            return std::nullopt;
    }
}

Result<AcquisitionController::RecordingParameters> ParseRecordingParameters(std::string_view periodText,
                                                                            std::string_view countText,
                                                                            bool externalTrigger) {
    long long period = 0, count = 0;
    if (!parseWhole(periodText, period) || !parseWhole(countText, count) || period > kMaxSavingPeriodSeconds)
        return fail(lexicon().text(Word::ErrorInParameters));
    AcquisitionController::RecordingParameters p;
    p.periodSeconds = static_cast<int>(period < 0 ? 0 : period);
    p.records = count;
    p.externalTrigger = externalTrigger;
    if (Status s = AcquisitionController::CheckRecordingParameters(p); !s) return s.error();
    return p;
}

}  // namespace k470::app
