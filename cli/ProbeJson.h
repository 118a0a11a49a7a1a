#pragma once

// quendra-probe's JSON: the same facts as the text, as one document for scripts
// (docs/probe.schema.json describes it). Every text is UTF-8: drive and processor texts are
// converted from the system code page, so no byte a drive sends can make the document
// invalid.

#include <nlohmann/json.hpp>
#include <string>

#include "cli/DriveFacts.h"

namespace quendra {

nlohmann::ordered_json ProbeJson(const ProbeFacts& facts, const std::string& programVersion);

}  // namespace quendra
