#pragma once

// Probe results gathered from fake drive platforms, for the JSON tests: drives that send odd
// bytes, lying lengths and garbage features, a drive that is gone, and machines without a
// drive.

#include <string>
#include <utility>
#include <vector>

#include "cli/DriveFacts.h"

namespace quendra {

// A burner, a drive whose texts and details are garbage, and a drive that fails every
// command.
ProbeFacts OddDrivesSample();

// No drive: one node refused, one busy, with a group name that is not UTF-8.
ProbeFacts NoDriveSample();

// Every sample with a file name for it.
std::vector<std::pair<std::string, ProbeFacts>> ProbeSamples();

}  // namespace quendra
