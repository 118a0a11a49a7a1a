#pragma once

// quendra-probe's text: aligned "label  value" lines for people to read.

#include <ostream>

#include "cli/DriveFacts.h"
#include "cli/SystemFacts.h"

namespace quendra {

void PrintSystemFacts(const SystemFacts& facts, std::ostream& out);

// The route, the number of drives and a line per drive; for an empty list each cause with
// its fix.
void PrintDriveListing(const DriveListing& listing, std::ostream& out);

// "Drive N  NAME", then every answer of the drive's selection.
void PrintDriveAnswers(const ListedDrive& drive, const DriveAnswers& answers, std::ostream& out);

// "Report of drive N" with the report's lines, then "Details of drive N".
void PrintDriveReport(const ListedDrive& drive, const DriveReport& report, std::ostream& out);

// Everything, in the order it was learnt.
void PrintProbeText(const ProbeFacts& facts, std::ostream& out);

}  // namespace quendra
