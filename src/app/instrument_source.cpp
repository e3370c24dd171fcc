#include "app/instrument_source.h"

#include <charconv>

#include "app/command_ids.h"
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

void ApplyAcquisitionCommands(CommandState& commands, const AcquisitionCommands& reported) {
    const std::pair<int, bool> states[] = {
        {CmdReset, reported.reset},
        {CmdStartStop, reported.startStop},
        {CmdSaveAsBinary, reported.saveAsBinary},
        {CmdSaveAsText, reported.saveAsText},
        {CmdStartRecording, reported.startRecording},
        {CmdStopRecording, reported.stopRecording},
        {CmdSetMarker, reported.setMarker},
    };
    for (auto [id, on] : states) {
        if (on)
            commands.enable({id});
        else
            commands.disable({id});
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
