#include "demo/aspi/CaptureReplay.h"

#include <algorithm>

namespace quendra {

CaptureReplay::CaptureReplay(const std::vector<CapturedExchange>& exchanges) {
    for (const CapturedExchange& exchange : exchanges)
        byCdb_[exchange.cdb].captured.push_back(exchange);
}

DriveAnswer CaptureReplay::Answer(std::span<const std::uint8_t> cdb, std::span<std::uint8_t> data) {
    const auto found = byCdb_.find(std::vector<std::uint8_t>(cdb.begin(), cdb.end()));
    if (found == byCdb_.end()) {
        const bool knownOperation =
            !cdb.empty() && std::any_of(byCdb_.begin(), byCdb_.end(), [&](const auto& entry) {
                return entry.first.front() == cdb.front();
            });
        DriveAnswer answer;
        answer.status = kStatusCheckCondition;
        answer.sense = FixedSense(knownOperation ? kInvalidFieldInCdb : kInvalidCommand);
        return answer;
    }
    Answers& answers = found->second;
    const CapturedExchange& captured = answers.captured[answers.next];
    answers.next = std::min(answers.next + 1, answers.captured.size() - 1);

    DriveAnswer answer;
    if (captured.direction == DataDirection::In) {
        const std::size_t length = std::min<std::size_t>(captured.length, data.size());
        const std::size_t bytes = std::min(captured.data.size(), length);
        std::copy_n(captured.data.begin(), bytes, data.begin());
        std::fill(data.begin() + static_cast<std::ptrdiff_t>(bytes),
                  data.begin() + static_cast<std::ptrdiff_t>(length), 0);
        answer.dataLength = length;
    }
    answer.status = captured.status;
    answer.sense = captured.sense;
    switch (captured.outcome) {
        case CaptureOutcome::OsError:
            answer.transportError = captured.outcomeCode;
            break;
        case CaptureOutcome::AspiStatus:
            answer.aspiStatus = static_cast<std::uint8_t>(captured.outcomeCode);
            break;
        case CaptureOutcome::Delivered:
            break;
    }
    return answer;
}

}  // namespace quendra
